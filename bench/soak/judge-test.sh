#!/usr/bin/env bash
# The soak's verdicts on made-up runs: each target is missed just past its limit and held
# just at it, so a soak that would let a leak or a slow reconnect through fails here first.
set -euo pipefail
judge="$(cd "$(dirname "$0")" && pwd)/judge.awk"
workdir="$(mktemp -d)"
trap 'rm -rf "$workdir"' EXIT
failures=0

# samples MINUTES RSS_AT_5_MIN RSS_AFTER FDS_AFTER [EARLY_RSS]: a sample every 10 s; before
# 5 minutes the memory is EARLY_RSS (default the 5-minute value), from 5 minutes on it climbs
# evenly to RSS_AFTER at the end; descriptors are 12, FDS_AFTER in the last sample.
samples() {
    local end=$(($1 * 60)) base="$2" after="$3" fds_after="$4" early="${5:-$2}"
    awk -v end="$end" -v base="$base" -v after="$after" -v fds_after="$fds_after" \
        -v early="$early" 'BEGIN {
        print "seconds,rss_kb,fds,cpu_seconds"
        for (t = 0; t <= end; t += 10) {
            rss = t < 300 ? early : (end > 300 ? base + (after - base) * (t - 300) / (end - 300) : base)
            printf "%d,%d,%d,%.2f\n", t, rss, t == end ? fds_after : 12, t * 0.003
        }
    }' >"$workdir/samples.csv"
}

# replugs TIME...: one re-plug per argument ("" for one never answered again).
replugs() {
    local i=0
    echo "replug,plugged_in_s,reconnect_s" >"$workdir/replugs.csv"
    for time in "$@"; do
        i=$((i + 1))
        echo "$i,$((i * 30 - 7)).002,$time" >>"$workdir/replugs.csv"
    done
}

# expect STATUS EXPECTED_REPLUGS TEXT NAME: the verdict's exit status and a line it prints.
expect() {
    local want="$1" expected="$2" text="$3" name="$4" status=0
    awk -F, -v expected="$expected" -f "$judge" "$workdir/samples.csv" "$workdir/replugs.csv" \
        >"$workdir/verdict" || status=$?
    if [ "$status" -ne "$want" ] || ! grep -qF -- "$text" "$workdir/verdict"; then
        echo "FAILED: $name (exit $status, wanted $want and \"$text\")"
        sed 's/^/    /' "$workdir/verdict"
        failures=$((failures + 1))
    else
        echo "ok: $name"
    fi
}

samples 10 40000 41024 12
replugs 0.3 1.5 3.000 0.5
expect 0 4 "memory growth after 5 min: +1024 kB" "1024 kB growth and a 3.000 s reconnect hold"
expect 0 4 "every re-plug reconnects within 3 s: held" "reconnects at the limit hold"

samples 10 40000 41025 12
expect 1 4 "MISSED (limit 1024 kB)" "1025 kB growth after the warm-up is missed"

samples 10 40000 40000 12 30000
expect 0 4 "memory growth after 5 min: +0 kB" "growth inside the warm-up is not counted"

samples 2 40000 90000 12 20000
expect 0 4 "not judged" "a two-minute run does not judge memory"

samples 2 40000 40000 13
expect 1 4 "open descriptors: 12..13: MISSED" "one more descriptor at the end is missed"

samples 2 40000 40000 12
replugs 0.3 3.001 0.5 0.5
expect 1 4 "1 slower than 3 s" "a 3.001 s reconnect is missed"

replugs 0.3 "" 0.5 0.5
expect 1 4 "1 never answered again" "a re-plug never answered again is missed"

replugs 0.3 0.5 0.5
expect 1 4 "re-plugs: 3 of 4 expected" "a re-plug missing from the log is missed"

replugs 0.3 0.5 0.5 0.5
awk -F, -v expected=4 -v died="the program died before 60 s" -f "$judge" \
    "$workdir/samples.csv" "$workdir/replugs.csv" >"$workdir/verdict" && status=0 || status=$?
if [ "$status" -eq 1 ] && grep -q "FAILED: the program died" "$workdir/verdict"; then
    echo "ok: a program that died fails the run"
else
    echo "FAILED: a program that died fails the run (exit $status)"
    failures=$((failures + 1))
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
