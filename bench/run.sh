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
for bench in "$build"/bench/bench_*; do
    "$bench" "$@"
done
