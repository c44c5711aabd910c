#!/usr/bin/env bash
# Hot-plug soak of the real program: it polls the simulated sensor for MINUTES minutes
# (default 60) while the adapter is pulled and plugged back every 30 s. Every 10 s the
# program's resident memory, open descriptors and CPU time are sampled; every re-plug is
# timed from the simulator's own log (re-plug until the first answered request after it).
#
# Targets, each printed as held or not; the exit status is 1 when one is missed:
#   * resident memory grows by at most 1 MB after the first five minutes (judged only when
#     the run is longer than five minutes);
#   * the number of open descriptors stays the same in every sample;
#   * every re-plug is answered again within 3 s.
#
# Usage: soak.sh [MINUTES] [OUTDIR]   (OUTDIR defaults to build/soak)
# Writes OUTDIR/samples.csv, replugs.csv, summary.txt, soak.png, sim-events.log, program.log;
# judge.awk gives the verdict (judge-test.sh checks it on made-up runs).
# The programs default to the build/default tree; DUT_PROGRAM, DUT_SENSOR_SIM and
# DUT_SOAK_PLOT name others. Run the hour in the background at low priority:
#   nice -n 10 bench/soak/soak.sh 60 build/soak &
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
minutes="${1:-60}"
out="${2:-$root/build/soak}"
program="${DUT_PROGRAM:-$root/build/default/src/ui/brindolex-dut-configurator}"
simulator="${DUT_SENSOR_SIM:-$root/build/default/tools/sensor-sim/dut-sensor-sim}"
plot="${DUT_SOAK_PLOT:-$root/build/default/bench/soak/soak_plot}"

readonly sample_every=10    # seconds
readonly cycle=30           # one pull and re-plug per cycle
readonly pull_at=21         # seconds into each cycle; the samples at 20 and 30 see it plugged

case "$minutes" in '' | *[!0-9]* | 0)
    echo "usage: soak.sh [MINUTES] [OUTDIR]  (MINUTES a whole number above 0)" >&2
    exit 2
    ;;
esac
for tool in "$program" "$simulator"; do
    [ -x "$tool" ] || { echo "soak: $tool is not built" >&2; exit 2; }
done
duration=$((minutes * 60))
mkdir -p "$out"
out="$(cd "$out" && pwd)"

# shellcheck source=../../tests/ui/e2e/x-session.sh
source "$root/tests/ui/e2e/x-session.sh"
# Qt wants a private runtime folder; without a session one, the run brings its own.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    export XDG_RUNTIME_DIR="$workdir/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
fi

fail_setup() {
    echo "soak: $*" >&2
    tail -n 5 "$out/program.log" "$out/sim-events.log" >&2 2>/dev/null || true
    exit 2
}

now_us() { echo $((10#${EPOCHREALTIME//[.,]/})); }

start_xvfb || fail_setup "Xvfb reported no display"

link="$workdir/sensor"
"$simulator" --link "$link" --log "$out/sim-events.log" >/dev/null 2>&1 &
sim_pid=$!
pids+=("$sim_pid")
wait_for 50 test -e "$link" || fail_setup "the simulator made no device"

# The port goes in as the program's argument: connected at once, as when picked in the box.
QT_QPA_PLATFORM=xcb XDG_SESSION_TYPE=x11 "$program" "$link" >"$out/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")
answered() { grep -q ' answered$' "$out/sim-events.log"; }
wait_for 150 answered || fail_setup "the program never reached the simulated sensor"

clock_tick=$(getconf CLK_TCK)
sample() {
    local t="$1" rss fds stat rest fields
    kill -0 "$program_pid" 2>/dev/null || return 1
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$program_pid/status")
    fds=$(find "/proc/$program_pid/fd" -mindepth 1 -maxdepth 1 | wc -l)
    stat=$(<"/proc/$program_pid/stat")
    rest="${stat##*) }" # the name in parentheses may hold blanks; fields 3.. follow it
    read -ra fields <<<"$rest"
    # utime and stime are fields 14 and 15, in clock ticks.
    awk -v t="$t" -v rss="$rss" -v fds="$fds" -v ticks=$((fields[11] + fields[12])) \
        -v hz="$clock_tick" 'BEGIN { printf "%d,%d,%d,%.2f\n", t, rss, fds, ticks / hz }' \
        >>"$out/samples.csv"
}

echo "seconds,rss_kb,fds,cpu_seconds" >"$out/samples.csv"
replugs=$((duration / cycle))
echo "soak: $minutes min, $replugs re-plugs, samples every ${sample_every} s into $out"
start_us=$(now_us)
died=""
for ((t = 0; t <= duration; t++)); do
    wait_us=$((start_us + t * 1000000 - $(now_us)))
    if ((wait_us > 0)); then sleep "$((wait_us / 1000000)).$(printf '%06d' $((wait_us % 1000000)))"; fi
    into=$((t % cycle))
    i=$((t / cycle)) # cycles finished before this one
    # The adapter stays out 2, 3, 4 or 5 s in turn, so the re-plug meets the program's
    # reconnect attempts at different moments.
    away=$((2 + i % 4))
    if ((t % sample_every == 0)); then
        sample "$t" || { died="the program died before ${t} s"; break; }
    fi
    if ((i < replugs)); then
        if ((into == pull_at)); then kill -USR1 "$sim_pid"; fi
        if ((into == pull_at + away)); then kill -USR2 "$sim_pid"; fi
    fi
done

# Re-plug times from the simulator's clock alone: "plugged in" until the next answer.
awk -v start="$start_us" '
    BEGIN { print "replug,plugged_in_s,reconnect_s"; n = 0; waiting = 0 }
    $2 == "plugged" { if (waiting) print n "," at ","; n++; plugged = $1; waiting = 1
                      at = sprintf("%.3f", $1 - start / 1e6) }
    $NF == "answered" && waiting { printf "%d,%s,%.3f\n", n, at, $1 - plugged; waiting = 0 }
    END { if (waiting) print n "," at "," }
' "$out/sim-events.log" >"$out/replugs.csv"

plot_note=""
if [ -x "$plot" ]; then
    "$plot" "$out/samples.csv" "$out/replugs.csv" "$out/soak.png" ||
        plot_note="the plot could not be drawn"
else
    echo "soak: no plot, $plot is not built"
fi

judge() {
    awk -F, -v expected="$replugs" -v died="$died" -v plot_note="$plot_note" \
        -f "$here/judge.awk" "$out/samples.csv" "$out/replugs.csv"
}

status=0
judge | tee "$out/summary.txt" || status=1
exit "$status"
