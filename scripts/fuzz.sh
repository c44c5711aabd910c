#!/usr/bin/env bash
# Builds every libFuzzer target with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (build/fuzz) and runs each for SECONDS (default 30) on a working copy of its seed corpus.
# Fails on any finding; the input that broke a target is kept under build/fuzz/findings/.
# The committed corpus is never written to. By hand: FUZZ_RUNS=N also stops each target after
# N executions, FUZZ_ONLY=<target> runs only that one (e.g. FUZZ_ONLY=config_link).
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-30}
case $SECONDS_EACH in '' | *[!0-9]* | 0*) echo "usage: $0 [SECONDS]" >&2; exit 2 ;; esac

bash scripts/install-deps.sh
printf '\n== fuzz targets (%s s each)\n' "$SECONDS_EACH"

BUILD=build/fuzz
CXX=clang++ cmake -S fuzz -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2

SYMBOLIZER=$(command -v llvm-symbolizer || true)
export ASAN_SYMBOLIZER_PATH=$SYMBOLIZER
export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The longest input each target gets: enough for several dozen frames or reads, short enough
# that the runs stay quick on the 2-core machine.
max_len() {
  case $1 in
    lls_monitor) echo 2048 ;;
    config_link | sim_sensor) echo 1024 ;;
    *) echo 4096 ;;
  esac
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=()
limits=(-max_total_time="$SECONDS_EACH")
[ -n "${FUZZ_RUNS:-}" ] && limits+=(-runs="$FUZZ_RUNS")
for corpus in fuzz/corpus/*/; do
  target=$(basename "$corpus")
  [ -n "${FUZZ_ONLY:-}" ] && [ "$target" != "$FUZZ_ONLY" ] && continue
  findings=$BUILD/findings/$target
  rm -rf "$findings" "$work/$target"
  mkdir -p "$findings" "$work/$target"
  cp "$corpus"* "$work/$target/"
  echo "-- $target"
  if "$BUILD/fuzz_$target" "${limits[@]}" -max_len="$(max_len "$target")" \
      -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/" "$work/$target" \
      >"$work/$target.log" 2>&1; then
    grep -E '^(#[0-9]+[[:space:]]+DONE|Done|stat::average_exec_per_sec)' "$work/$target.log" || true
  else
    tail -n 60 "$work/$target.log"
    echo "FINDING in $target: input kept in $findings/"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: findings in ${failed[*]}"
  exit 1
fi
echo "fuzz: no finding"
