#!/usr/bin/env bash
# Runs the whole CTest suite of an existing build N times while two busy loops keep both
# cores of a CI machine loaded, and stops at the first failing run. A timing test that
# fails here judges the machine, not the code.
#
#   scripts/stress-tests.sh N [PRESET]     PRESET: default (the default) or sanitize
#
# STRESS_CTEST_ARGS adds arguments to every ctest call, for example
#   STRESS_CTEST_ARGS="-j2 -E 'ui_fault_matrix|soak_2min'" scripts/stress-tests.sh 30
# to leave out the long end-to-end runs and use both cores.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: $0 N [default|sanitize]" >&2
    exit 2
}
[[ $# -ge 1 && $# -le 2 ]] || usage
runs=$1
preset=${2:-default}
[[ $runs =~ ^[1-9][0-9]*$ ]] || usage
[[ $preset == default || $preset == sanitize ]] || usage
if [[ ! -f build/$preset/CTestTestfile.cmake ]]; then
    echo "build/$preset is not built: cmake --preset $preset && cmake --build --preset $preset" >&2
    exit 2
fi
if [[ $preset == sanitize ]]; then
    # The same settings as scripts/test.sh gives the sanitizer build.
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
    export UBSAN_OPTIONS=print_stacktrace=1
fi

busy=()
stop_busy() {
    local pid
    for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${busy[@]}"; do wait "$pid" 2>/dev/null || true; done
    busy=()
}
trap stop_busy EXIT
trap 'exit 130' INT TERM
for _ in 1 2; do
    (while :; do :; done) &
    busy+=("$!")
done

logs=build/$preset/stress-logs
mkdir -p "$logs"
passed=0
started=$SECONDS
for ((run = 1; run <= runs; run++)); do
    log=$logs/run-$run.log
    run_started=$SECONDS
    if eval ctest --preset "$preset" "${STRESS_CTEST_ARGS:-}" >"$log" 2>&1; then
        passed=$((passed + 1))
        echo "run $run/$runs passed ($((SECONDS - run_started)) s)"
    else
        echo "run $run/$runs FAILED ($((SECONDS - run_started)) s); full log: $log"
        grep -vE '^ *Start +[0-9]+:|Test +#[0-9]+: .* Passed ' "$log" || true
        break
    fi
done
echo "$passed of $runs runs passed under two busy loops in $((SECONDS - started)) s"
[[ $passed -eq $runs ]]
