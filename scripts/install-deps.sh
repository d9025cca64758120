#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the fuzzers need (with --bench, also
# the tools the benchmarks compare against).
# Idempotent and quiet: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config ccache
  clang-format                      # make test checks the formatting
  clang libclang-rt-14-dev          # fuzz targets (libFuzzer)
  libgtest-dev libgmock-dev         # tests
  libbenchmark-dev                  # make bench
  libicu-dev                        # Unicode case folding and character classes
  strace util-linux                 # crash and error-injection tests, setpriv
  qt6-base-dev qt6-svg-dev          # the desktop program (Qt Svg draws its icon)
  qt6-translations-l10n             # Qt's own dialogs in the program's language
  dpkg-dev lintian                  # make package: dependencies computed, the package checked
  desktop-file-utils appstream shared-mime-info  # desktop entry, metainfo and MIME type checked
  man-db bash-completion            # the installed manuals and the completion checked
  xvfb xauth                        # headless GUI tests and screenshots
  x11-utils                         # xprop: the window titles as the X server has them
  imagemagick twm xfonts-base       # screenshots of whole screens, title bars included
)

# make bench also measures the peers.
if [ "${1:-}" = "--bench" ]; then
  packages+=(hyperfine sd perl sed time)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
