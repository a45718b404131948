#!/usr/bin/env bash
# Builds into build-asan/ (or $VARKOLIN_ASAN_BUILD_DIR) with AddressSanitizer
# and UBSan, and runs every test there. Arguments go to ctest.
# Any report fails the run: it aborts the process that made it. A test may
# not look at how a program it starts ends, so AddressSanitizer's reports also
# go to files, shown and counted here (UBSan's go to the standard error: with
# AddressSanitizer beside it, it does not follow log_path).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VARKOLIN_ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVARKOLIN_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"
reports=$(cd "$build" && pwd)/sanitizer-reports
rm -rf "$reports"
mkdir -p "$reports"
# Leak detection stays off: the only leaks are inside Qt's offscreen platform plugin.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:log_path=$reports/report:log_exe_name=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:abort_on_error=1"
export QT_QPA_PLATFORM=offscreen
status=0
(cd "$build" && ctest --output-on-failure --no-tests=error -j"$(nproc)" "$@") || status=$?
count=$(find "$reports" -type f | wc -l)
if [ "$count" -gt 0 ]; then
    cat "$reports"/*
    echo "AddressSanitizer reports: $count (in $reports)" >&2
    exit 1
fi
echo "AddressSanitizer reports: 0"
exit "$status"
