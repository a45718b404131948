#!/usr/bin/env bash
# Builds and runs the benchmarks on SQLite and on a throwaway PostgreSQL server.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh >/dev/null
build=${VARKOLIN_BUILD_DIR:-build}
state=$(mktemp -u /tmp/varkolin-bench.XXXXXX.env)
bash tests/support/pgserver.sh start "$state" >/dev/null
trap 'bash tests/support/pgserver.sh stop "$state"' EXIT
export QT_QPA_PLATFORM=offscreen VARKOLIN_TEST_PG_STATE=$state VARKOLIN_TEST_BACKENDS=sqlite,postgres
# Only the programs: the build also leaves bench_*_autogen folders there.
status=0
for bench in "$build"/bench/bench_*; do
    [ -f "$bench" ] && [ -x "$bench" ] || continue
    "$bench" "$@" || status=$?
done
exit "$status"
