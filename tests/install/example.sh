#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the example module
# against that installation alone, and starts the installed program with it on
# a fresh SQLite database: it must read the module's table through the scripts
# the module installed, and write its picture.
set -euo pipefail
build=$1 example=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cmake -S "$example" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
status=0
XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data "$prefix/bin/varkolin" --database "sqlite:$work/test.db" \
    --module "$(find "$prefix" -name libequipment.so)" --trace "$work/trace.sql" --screenshot "$work/shot.png" \
    2>"$work/errors" || status=$?
cat "$work/errors" >&2
[ "$status" = 0 ] && grep -q "FROM t_equipment" "$work/trace.sql" && ! grep -q "Error executing\|not made" "$work/errors" \
    && [ "$(od -An -N8 -tx1 "$work/shot.png" | tr -d ' \n')" = 89504e470d0a1a0a ]
