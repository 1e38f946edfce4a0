# SPDX-License-Identifier: MIT
# Shared by the benchmark scripts: times a command as they all do.
# Needs WORK (a scratch folder with out/ for outputs) and RUNS set.

# measure NAME COMMAND...: best elapsed seconds and its peak RSS (kB) over RUNS.
measure() {
    name=$1
    shift
    best_time=""
    best_rss=""
    i=0
    while [ "$i" -lt "$RUNS" ]; do
        rm -f "$WORK"/out/* 2>/dev/null || true
        sync  # no write-back of an earlier run competes with this one
        /usr/bin/time -f "%e %M" -o "$WORK/time.txt" "$@" >/dev/null
        read -r t rss <"$WORK/time.txt"
        if [ -z "$best_time" ] || awk "BEGIN{exit !($t < $best_time)}"; then
            best_time=$t
            best_rss=$rss
        fi
        i=$((i + 1))
    done
    echo "$name $best_time $best_rss" >>"$WORK/results.txt"
    printf '%-16s %8.2f s  %8d kB peak RSS\n' "$name" "$best_time" "$best_rss"
}
