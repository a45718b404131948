#!/usr/bin/env bash
# Installs what is missing, builds, and starts Varkolin on the embedded SQLite
# demo database (created and filled on first start).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build=${VARKOLIN_BUILD_DIR:-build}
# A new database asks before it is created; the demo always wants it.
printf 'y\n' | "$build/host/varkolin" "$@"
