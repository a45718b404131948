#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, the PostgreSQL ones
# on a throwaway server that the test run starts and stops itself; then runs
# them all again built with the sanitizers (scripts/sanitize.sh), unless
# VARKOLIN_SANITIZE=0. Arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build=${VARKOLIN_BUILD_DIR:-build}
export QT_QPA_PLATFORM=offscreen
(cd "$build" && ctest --output-on-failure --no-tests=error -j"$(nproc)" "$@")
[ "${VARKOLIN_SANITIZE:-1}" = 0 ] || scripts/sanitize.sh "$@"
