#!/usr/bin/env bash
# Installs what is missing, builds, and starts Varkolin. Without --database it
# opens the embedded SQLite demo database, created and filled on first start;
# the demo administrator logs in as admin with the password admin.
# Arguments go to the program; scripts/run.sh --help lists them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build=${VARKOLIN_BUILD_DIR:-build}
exec "$build/host/varkolin" "$@"
