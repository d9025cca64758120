#!/usr/bin/env bash
# Pictures of the desktop program for the documentation: builds the picture tool, runs it
# under a virtual X server of 1024x768 with a small window manager (for the title bars) and
# writes docs/screenshots/*.png: each window on its own, and screen-*.png, the whole screen.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
cmake -S . -B "$BUILD" -G Ninja -DTEXTWRIGHT_WERROR=ON >/dev/null
cmake --build "$BUILD" --target ui_screenshots
mkdir -p docs/screenshots
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# twm places each window where the program asks (dialogs centred), without asking the user.
printf 'UsePPosition "on"\nRandomPlacement\nNoGrabServer\nDecorateTransients\n' >"$work/twmrc"
for f in TitleFont MenuFont IconFont ResizeFont IconManagerFont; do echo "$f \"fixed\"" >>"$work/twmrc"; done
XDG_CONFIG_HOME="$work" QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  if command -v twm >/dev/null; then twm -f "$1/twmrc" & sleep 0.5; fi
  "$2" docs/screenshots
' screenshots "$work" "$BUILD/tests/ui/ui_screenshots"
