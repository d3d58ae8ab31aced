#!/usr/bin/env bash
# Builds the Debian package in build-release/, checks it with lintian, checks
# the menu entry and the software-centre metadata as installed, and prints
# the path of the .deb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" package

build="$root/build-release"
# Debian's hardening flags, without -g: the package ships stripped programs.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g
cppflags="$(dpkg-buildflags --get CPPFLAGS)"
# Installing builds nothing by itself, so only what the package holds is built.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCHOMPO_BUILD_TESTS=OFF \
  -DCHOMPO_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $cppflags" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j2 --target chompo chompo-sim chompo_data chompo_menu_icons

rm -f "$build"/chompo_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/chompo_*.deb)
deb="${debs[0]}"

echo "lintian:"
lintian --fail-on error "$deb"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" >/dev/null
echo "desktop-file-validate:"
desktop-file-validate "$stage"/usr/share/applications/*.desktop
echo "appstreamcli:"
appstreamcli validate --no-net "$stage"/usr/share/metainfo/*.metainfo.xml
appstreamcli validate-tree --no-net "$stage"

echo "$deb"
