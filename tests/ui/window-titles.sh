#!/usr/bin/env bash
# The desktop program's window title, as the X server has it, is exactly the caption: nothing
# appended. (windowTitle() inside the program cannot show what the platform adds.)
# Usage: window-titles.sh PROGRAM
set -euo pipefail
program=$1
if ! command -v xvfb-run >/dev/null || ! command -v xprop >/dev/null; then
  echo "xvfb-run and xprop are needed (scripts/install-deps.sh)"
  exit 1
fi
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  "$1" & pid=$!
  trap "kill $pid 2>/dev/null || true" EXIT
  # The name window managers show is _NET_WM_NAME (UTF-8); WM_NAME may differ from it.
  for _ in $(seq 1 150); do
    for id in $(xwininfo -root -children | grep -o "^ *0x[0-9a-f]*"); do
      if xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -q "\"Textwright 2.5"; then
        name=$(xprop -id "$id" _NET_WM_NAME)
        echo "$name"
        [ "$name" = "_NET_WM_NAME(UTF8_STRING) = \"Textwright 2.5\"" ] && exit 0
        exit 1
      fi
    done
    sleep 0.1
  done
  echo "no main window came up; the windows are:"
  xwininfo -root -children | grep "\"" || true
  exit 1
' window-titles "$program"
