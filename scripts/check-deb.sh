#!/usr/bin/env bash
# Builds the Debian package in a temporary folder, removes that build tree,
# installs the package with apt-get as a user would (pulling in what it
# declares), starts the installed program without a screen on a fresh SQLite
# database in a new home folder, checks that it wrote its picture, and
# removes the package again. It installs into the system: run it as root or
# with sudo, on a machine where the package is not installed already.
set -euo pipefail
cd "$(dirname "$0")/.."
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
if dpkg-query -W -f='${Status}' varkolin 2>/dev/null | grep -q 'install ok installed'; then
    echo "The package varkolin is installed already; remove it first." >&2
    exit 1
fi
work=$(mktemp -d)
# apt-get reads the package as its own unprivileged user.
chmod 755 "$work"
installed=no
cleanup() {
    [ "$installed" = no ] || $sudo apt-get purge -y -qq varkolin >/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

cmake -S . -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF >/dev/null
cmake --build "$work/build" -j"$(nproc)"
(cd "$work/build" && cpack -G DEB >/dev/null)
mv "$work"/build/varkolin_*.deb "$work"/
rm -rf "$work/build"
dpkg-deb --field "$work"/varkolin_*.deb Package Version Depends Recommends

installed=yes
(cd "$work" && $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq ./varkolin_*.deb)
home="$work/home"
mkdir "$home"
# A new user's environment: nothing of the person running the check is read.
env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen \
    varkolin --screenshot "$work/shot.png"
if [ "$(od -An -N8 -tx1 "$work/shot.png" | tr -d ' \n')" != 89504e470d0a1a0a ]; then
    echo "The installed program wrote no picture." >&2
    exit 1
fi
echo "The installed varkolin started and wrote its picture ($(stat -c %s "$work/shot.png") bytes)."
