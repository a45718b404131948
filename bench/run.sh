#!/usr/bin/env bash
# Builds the benchmarks in release mode, runs them on SQLite and on a
# throwaway PostgreSQL server, and prints their figures, then one table of
# every case: our figure, the alternative measured in the same run, the
# ratio, the target and whether it is met.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build=${VARKOLIN_BENCH_BUILD_DIR:-build-release}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_qdatatable bench_search bench_productdialog >/dev/null
state=$(mktemp -u /tmp/varkolin-bench.XXXXXX.env)
log=$(mktemp /tmp/varkolin-bench.XXXXXX.log)
bash tests/support/pgserver.sh start "$state" >/dev/null
trap 'bash tests/support/pgserver.sh stop "$state" >/dev/null; rm -f "$log"' EXIT
export QT_QPA_PLATFORM=offscreen VARKOLIN_TEST_PG_STATE=$state VARKOLIN_TEST_BACKENDS=sqlite,postgres

status=0
run() {
    echo "## $*"
    env "$@" | tee -a "$log" | grep -v '^ROW' || status=$?
}
# How cost grows: load and commit at 10 000 and 100 000 rows, load at 1 000 000.
run VARKOLIN_BENCH_ROWS=100000 "$build/bench/bench_qdatatable"
run VARKOLIN_BENCH_ROWS=10000 "$build/bench/bench_qdatatable"
run VARKOLIN_BENCH_ROWS=1000000 VARKOLIN_BENCH_LOAD_ONLY=1 "$build/bench/bench_qdatatable"
# The slow alternatives (a loop over the model per look-up) are timed on a
# sample of calls: ten seconds tell their cost a call as well as a minute.
run VARKOLIN_BENCH_ROWS=100000 VARKOLIN_BENCH_BUDGET_S=10 "$build/bench/bench_search"
run "$build/bench/bench_productdialog"

echo
echo "## Summary ($(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'))"
{
    printf 'case\tback end\tours\tper row\talternative\ttheirs\tratio\ttarget\tmet\n'
    grep '^ROW' "$log" | cut -f2- | sort -s -t$'\t' -k1,1 | awk -F'\t' -v OFS='\t' '{
        met = "-"; split($3, ours, " "); t = $8
        if (t ~ /x$/ && $7 != "-") { limit = t; gsub(/[^0-9.]/, "", limit); met = ($7 + 0 <= limit + 0) ? "yes" : "no" }
        else if (t ~ /^</) { limit = t; gsub(/[^0-9.]/, "", limit);
            met = (t ~ /^<=/ ? ours[1] + 0 <= limit + 0 : ours[1] + 0 < limit + 0) ? "yes" : "no" }
        print $0, met }'
} | column -t -s $'\t'
exit "$status"
