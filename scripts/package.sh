#!/usr/bin/env bash
# Builds the Debian package build/vantrel_VERSION_amd64.deb with CPack: the build tree is set to
# install under /usr (the package's paths, which the manual pages name), built, and packaged.
# Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -f build/CMakeCache.txt ]; then
  cmake build -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
else
  cmake -S . -B build -G Ninja -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
fi
cmake --build build --target package >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
deb="build/vantrel_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { echo "cpack wrote no $deb" >&2; exit 1; }
echo "$deb"
