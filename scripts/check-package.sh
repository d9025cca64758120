#!/usr/bin/env bash
# Checks a built .deb without installing it: lintian finds no error, and the package unpacked
# into a temporary root runs (scripts/check-installed.sh over its /usr).
#   scripts/check-package.sh build/package/textwright_<version>_<arch>.deb
set -euo pipefail
deb=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
"$(dirname "$0")/check-installed.sh" "$root/usr"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
# Errors fail the check; warnings are shown. Root may run lintian here (a throw-away checker).
lintian --allow-root --fail-on error --info "$deb"
echo "check-package: $deb passes"
