#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need; skips apt when all are present.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config libgtest-dev libcli11-dev qt6-base-dev
  libsqlite3-dev sqlite3 libpq-dev postgresql-15 postgresql-client-15
  mariadb-server mariadb-client libmariadb-dev unixodbc unixodbc-dev odbc-postgresql
  qtkeychain-qt6-dev qt6-svg-dev libqt6svg6 desktop-file-utils dbus gnome-keyring
  libicu-dev nlohmann-json3-dev xvfb time groff-base clang-14 libclang-rt-14-dev llvm-14
  clang-format-14 clang-tidy-14 python3 dpkg-dev lintian appstream chromium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends \
    -o DPkg::Lock::Timeout=300 "${missing[@]}"
fi
