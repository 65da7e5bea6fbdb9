#!/usr/bin/env bash
# Screenshots of every window of the program on a virtual X display (Xvfb), into FOLDER
# (default build/screenshots): bash bench/screenshots.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=${1:-build/screenshots}
cmake --build build --target screenshots >/dev/null
xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' \
  build/bin/screenshots "$folder" build/samples/SALES.db build/samples/SALESTEST.db
