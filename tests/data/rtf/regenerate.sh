#!/usr/bin/env bash
# Regenerates the word-processor documents of this folder from the texts in sources/.
# Needs pandoc and LibreOffice (Debian: pandoc, libreoffice-writer-nogui). Not run by the build;
# the generated .rtf files are committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$here/sources"
pandoc -s letter.md -o "$here/pandoc-letter.rtf"
pandoc -s report.html -o "$here/pandoc-report.rtf"
pandoc letter.md -o "$work/letter.docx"
pandoc report.html -o "$work/report.odt"
cp report.html "$work/report.html"
profile="-env:UserInstallation=file://$work/profile"
soffice "$profile" --headless --convert-to rtf --outdir "$work" "$work/letter.docx" >/dev/null
soffice "$profile" --headless --convert-to rtf --outdir "$work" "$work/report.odt" >/dev/null
soffice "$profile" --headless --infilter="HTML (StarWriter)" --convert-to "rtf:Rich Text Format" \
  --outdir "$work/html" "$work/report.html" >/dev/null
cp "$work/letter.rtf" "$here/lo-letter.rtf"
cp "$work/report.rtf" "$here/lo-report-odt.rtf"
cp "$work/html/report.rtf" "$here/lo-report-html.rtf"
