#!/usr/bin/env bash
# Builds the Debian package build/vantrel_VERSION_amd64.deb with CPack: the build tree is set to
# install under /usr (the package's paths, which the manual pages name), built, and packaged;
# then it is set back to the prefix it had, so that a later `cmake --install build` installs
# where it did before. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja >/dev/null
previous=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' build/CMakeCache.txt)
restore() { cmake build -DCMAKE_INSTALL_PREFIX="${previous:-/usr/local}" >/dev/null && cmake --build build >/dev/null; }
trap restore EXIT
cmake build -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build --target package >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
deb="build/vantrel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "cpack wrote no $deb" >&2; exit 1; }
echo "$deb"
