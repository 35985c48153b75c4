#!/usr/bin/env bash
# Memory and time of the money back-test's random runs as whole processes: `bet` over every
# period of a 3,000-draw history (2,999 tested periods) with 10,000, 30,000 and 100,000 random
# runs. The peak memory should stay nearly flat as the runs grow, the time grow in proportion.
# Best of RUNS (3 by default) for the time, the peak memory of the same run.
# Usage: bench/money_runs.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
tries=${2:-3}
[ -x /usr/bin/time ] || { echo "needs GNU time (Debian package time)"; exit 2; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$build/bench/k11_make_sample" --draws 3000 "$dir/h.txt"
k() { "$build/kelvora11s5" --data-dir "$dir/d" --settings "$dir/s.ini" "$@"; }
k import "$dir/h.txt" >/dev/null

echo "cores: $(nproc); load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for runs in 10000 30000 100000; do
    best= memory=
    for _ in $(seq "$tries"); do
        /usr/bin/time -f '%e %M' -o "$dir/t" \
            "$build/kelvora11s5" --data-dir "$dir/d" --settings "$dir/s.ini" \
            bet --play r5 --pick 01,02,03,04,05 --steps 100000 --random "$runs" >/dev/null
        read -r took kb <"$dir/t"
        if [ -z "$best" ] || [ "$(echo "$took < $best" | bc -l)" = 1 ]; then
            best=$took
            memory=$kb
        fi
    done
    echo "bet --steps 100000 --random $runs on 3000 draws: ${best} s, peak memory $((memory / 1024)) MB"
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
