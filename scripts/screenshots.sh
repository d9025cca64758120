#!/usr/bin/env bash
# Pictures of the desktop program for the documentation: builds the picture tool, runs it
# under a virtual X server and writes the pictures (main window, its advanced view and each
# language, processing, confirmation, results, tips, about box) to docs/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja -DTEXTWRIGHT_WERROR=ON >/dev/null
cmake --build "$BUILD" --target ui_screenshots
mkdir -p docs/screenshots
XDG_CONFIG_HOME="$(mktemp -d)" xvfb-run -a -s '-screen 0 1024x768x24' \
  "$BUILD/tests/ui/ui_screenshots" docs/screenshots
