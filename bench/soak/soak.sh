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
# Writes OUTDIR/samples.csv, replugs.csv, summary.txt, soak.png, sim-events.log, program.log.
# The programs default to the build/default tree; DUT_PROGRAM, DUT_SENSOR_SIM and
# DUT_SOAK_PLOT name others. Run the hour in the background at low priority:
#   nice -n 10 bench/soak/soak.sh 60 build/soak &
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
minutes="${1:-60}"
out="${2:-$root/build/soak}"
program="${DUT_PROGRAM:-$root/build/default/src/ui/brindolex-dut-configurator}"
simulator="${DUT_SENSOR_SIM:-$root/build/default/tools/sensor-sim/dut-sensor-sim}"
plot="${DUT_SOAK_PLOT:-$root/build/default/bench/soak/soak_plot}"

readonly sample_every=10    # seconds
readonly cycle=30           # one pull and re-plug per cycle
readonly pull_at=21         # seconds into each cycle; the samples at 20 and 30 see it plugged
readonly warm_up=300        # memory growth counts from here
readonly growth_limit_kb=1024
readonly reconnect_limit_ms=3000

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

workdir="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$workdir"
}
trap cleanup EXIT
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

# Waits up to $1 tenths of a second for the command that follows to succeed.
wait_for() {
    local tenths="$1"
    shift
    for _ in $(seq 1 "$tenths"); do
        if "$@"; then return 0; fi
        sleep 0.1
    done
    return 1
}

now_us() { echo $((10#${EPOCHREALTIME//[.,]/})); }

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$workdir/display" \
    >/dev/null 2>&1 &
pids+=($!)
wait_for 100 test -s "$workdir/display" || fail_setup "Xvfb reported no display"
export DISPLAY=":$(head -n1 "$workdir/display")"

link="$workdir/sensor"
"$simulator" --link "$link" --log "$out/sim-events.log" >/dev/null 2>&1 &
sim_pid=$!
pids+=("$sim_pid")
wait_for 50 test -e "$link" || fail_setup "the simulator made no device"

# The port is typed into the port box, as the installer does. Once the program takes the
# port as its argument, this one line switches to it: program_args=("$link")
program_args=()
QT_QPA_PLATFORM=xcb "$program" "${program_args[@]}" >"$out/program.log" 2>&1 &
program_pid=$!
pids+=("$program_pid")

if [ ${#program_args[@]} -eq 0 ]; then
    window=""
    find_window() {
        window=$(xdotool search --onlyvisible --name '^Brindolex DUT configurator v1\.3$' \
            2>/dev/null | head -n1)
        [ -n "$window" ]
    }
    wait_for 150 find_window || fail_setup "no main window appeared"
    # The first focus is on the address box; Tab moves to the port box. The automatic
    # reconnect then opens the typed name by itself.
    xdotool windowfocus --sync "$window"
    xdotool key Tab
    xdotool type --delay 5 "$link"
fi
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
    awk -F, -v warm="$warm_up" -v limit="$growth_limit_kb" -v reconnect_limit="$reconnect_limit_ms" \
        -v expected="$replugs" -v minutes="$minutes" -v died="$died" -v plot_note="$plot_note" '
    FNR == 1 { next }
    FILENAME ~ /samples/ {
        n++; t = $1; rss = $2; fd = $3; cpu = $4
        if (n == 1) { rss0 = rss; fdmin = fd; fdmax = fd; rssmax = rss }
        if (fd < fdmin) fdmin = fd; if (fd > fdmax) fdmax = fd
        if (rss > rssmax) rssmax = rss
        if (t >= warm && base == "") base = rss
        if (t >= warm && rss > warmmax) warmmax = rss
        last_t = t; last_rss = rss; last_cpu = cpu; next
    }
    {
        r++
        if ($3 == "") { missing++; next }
        ms = $3 * 1000; times[++answered] = ms
        if (ms > worst) worst = ms
        if (ms > reconnect_limit) slow++
    }
    END {
        bad = 0
        if (died != "") { print "FAILED: " died; bad = 1 }
        if (plot_note != "") { print "FAILED: " plot_note; bad = 1 }
        printf "samples: %d over %d s\n", n, last_t
        printf "resident memory: %.1f MB at start, %.1f MB at the end, %.1f MB at most\n",
               rss0 / 1024, last_rss / 1024, rssmax / 1024
        if (last_t > 0) printf "CPU: %.2f s in %d s, %.2f %% of one core\n",
                               last_cpu, last_t, 100 * last_cpu / last_t
        if (base == "" || last_t <= warm) {
            print "memory growth after 5 min: not judged (the run is not longer than 5 min)"
        } else {
            growth = warmmax - base
            held = growth <= limit
            printf "memory growth after 5 min: %+d kB (%.1f MB at 5 min, %.1f MB at most after): %s\n",
                   growth, base / 1024, warmmax / 1024, held ? "held" : "MISSED (limit 1024 kB)"
            if (!held) bad = 1
        }
        held = n > 0 && fdmin == fdmax
        printf "open descriptors: %d..%d: %s\n", fdmin, fdmax, held ? "held (constant)" : "MISSED (not constant)"
        if (!held) bad = 1
        # Median of the answered re-plugs (insertion sort: at most a few hundred).
        for (i = 2; i <= answered; i++) {
            v = times[i]; for (j = i - 1; j >= 1 && times[j] > v; j--) times[j + 1] = times[j]
            times[j + 1] = v
        }
        median = answered ? (answered % 2 ? times[(answered + 1) / 2] \
                 : (times[answered / 2] + times[answered / 2 + 1]) / 2) : 0
        printf "re-plugs: %d of %d expected, %d never answered again, %d slower than %.0f s\n",
               r, expected, missing, slow, reconnect_limit / 1000
        if (answered) printf "reconnect: median %.2f s, slowest %.2f s\n", median / 1000, worst / 1000
        held = r == expected && missing == 0 && slow == 0
        printf "every re-plug reconnects within 3 s: %s\n", held ? "held" : "MISSED"
        if (!held) bad = 1
        exit bad
    }' "$out/samples.csv" "$out/replugs.csv"
}

status=0
judge | tee "$out/summary.txt" || status=1
exit "$status"
