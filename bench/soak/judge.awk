# Judges a hot-plug soak from its two files and prints one line per figure and target.
#   awk -F, -v expected=N [-v died=TEXT] [-v plot_note=TEXT] -f judge.awk samples.csv replugs.csv
# samples.csv: seconds,rss_kb,fds,cpu_seconds; replugs.csv: replug,plugged_in_s,reconnect_s
# Exit status 1 when a target is missed (or died / plot_note tell of a broken run), else 0.
BEGIN {
    warm = 300              # seconds of warm-up before memory growth counts
    growth_limit = 1024     # kB
    reconnect_limit = 3000  # ms
}
FNR == 1 { next }
FILENAME == ARGV[1] {
    n++
    t = $1; rss = $2; fd = $3
    if (n == 1) { rss0 = rss; fdmin = fd; fdmax = fd; rssmax = rss }
    if (fd < fdmin) fdmin = fd
    if (fd > fdmax) fdmax = fd
    if (rss > rssmax) rssmax = rss
    if (t >= warm) {
        if (!have_base) { base = rss; warmmax = rss; have_base = 1 }
        if (rss > warmmax) warmmax = rss
    }
    last_t = t; last_rss = rss; last_cpu = $4
    next
}
{
    r++
    if ($3 == "") { missing++; next }
    ms = $3 * 1000
    times[++answered] = ms
    if (ms > worst) worst = ms
    if (ms > reconnect_limit) slow++
}
END {
    bad = 0
    if (died != "") { print "FAILED: " died; bad = 1 }
    if (plot_note != "") { print "FAILED: " plot_note; bad = 1 }
    if (n == 0) { print "FAILED: no samples"; exit 1 }
    printf "samples: %d over %d s\n", n, last_t
    printf "resident memory: %.1f MB at start, %.1f MB at the end, %.1f MB at most\n",
           rss0 / 1024, last_rss / 1024, rssmax / 1024
    if (last_t > 0)
        printf "CPU: %.2f s in %d s, %.2f %% of one core\n", last_cpu, last_t, 100 * last_cpu / last_t

    if (!have_base || last_t <= warm) {
        print "memory growth after 5 min: not judged (the run is not longer than 5 min)"
    } else {
        growth = warmmax - base
        held = growth <= growth_limit
        printf "memory growth after 5 min: %+d kB (%.1f MB at 5 min, %.1f MB at most after): %s\n",
               growth, base / 1024, warmmax / 1024, held ? "held" : "MISSED (limit 1024 kB)"
        if (!held) bad = 1
    }

    held = fdmin == fdmax
    printf "open descriptors: %d..%d: %s\n", fdmin, fdmax,
           held ? "held (constant)" : "MISSED (not constant)"
    if (!held) bad = 1

    # Median of the answered re-plugs (insertion sort: a few hundred at most).
    for (i = 2; i <= answered; i++) {
        v = times[i]
        for (j = i - 1; j >= 1 && times[j] > v; j--) times[j + 1] = times[j]
        times[j + 1] = v
    }
    printf "re-plugs: %d of %d expected, %d never answered again, %d slower than 3 s\n",
           r, expected, missing, slow
    if (answered) {
        median = answered % 2 ? times[(answered + 1) / 2] \
                              : (times[answered / 2] + times[answered / 2 + 1]) / 2
        printf "reconnect: median %.2f s, slowest %.2f s\n", median / 1000, worst / 1000
    }
    held = r == expected && missing == 0 && slow == 0
    printf "every re-plug reconnects within 3 s: %s\n", held ? "held" : "MISSED"
    if (!held) bad = 1
    exit bad
}
