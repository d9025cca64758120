#!/usr/bin/env bash
# Checks an installed Textwright tree: PREFIX is where bin/ and share/ are (for example /usr
# inside an unpacked package). Runs the installed programs from there, so a file the install
# misses fails here. The desktop parts are checked when bin/textwright is installed.
#   scripts/check-installed.sh PREFIX
set -euo pipefail
prefix=$(cd "$1" && pwd)
work=$(mktemp -d)
gui_pid=""
# Ends the desktop program started below (strace ends with it).
stop_gui() {
  [ -n "$gui_pid" ] || return 0
  local program
  program=$(pgrep -P "$gui_pid" || true)
  kill ${program:+"$program"} "$gui_pid" 2>/dev/null || true
  wait "$gui_pid" 2>/dev/null || true
  gui_pid=""
}
cleanup() {
  stop_gui
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "check-installed: $*" >&2
  exit 1
}

gui=false
[ -x "$prefix/bin/textwright" ] && gui=true
expected=(bin/textwright-cli share/man/man1/textwright-cli.1.gz
  share/bash-completion/completions/textwright-cli share/doc/textwright/copyright)
if $gui; then
  expected+=(share/man/man1/textwright.1.gz share/textwright/help/index.html
    share/applications/com.brindlecove.Textwright.desktop
    share/metainfo/com.brindlecove.Textwright.metainfo.xml
    share/mime/packages/com.brindlecove.Textwright.xml
    share/icons/hicolor/scalable/apps/textwright.svg)
fi
for file in "${expected[@]}"; do
  [ -e "$prefix/$file" ] || fail "missing $file"
done

# The command-line tool: its version and a replacement.
cli="$prefix/bin/textwright-cli"
"$cli" --version | grep -Eq '^textwright-cli [0-9]+\.[0-9]+\.[0-9]+$' || fail "--version"
printf 'one colour, two colours\n' >"$work/page.txt"
"$cli" replace --quiet --no-backup colour color "$work/page.txt" || fail "replace failed"
[ "$(cat "$work/page.txt")" = "one color, two colors" ] || fail "replace: $(cat "$work/page.txt")"

# The manuals render without a warning from man.
for page in "$prefix"/share/man/man1/textwright*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# The completion offers commands, a command's options, and .rpl files (and folders) after run.
mkdir -p "$work/files/sub"
touch "$work/files/a.rpl" "$work/files/b.txt"
complete_line() {
  (
    cd "$work/files"
    PATH="$prefix/bin:$PATH"
    # shellcheck disable=SC1091
    source /usr/share/bash-completion/bash_completion
    # shellcheck disable=SC1091
    source "$prefix/share/bash-completion/completions/textwright-cli"
    read -r -a COMP_WORDS <<<"$1"
    [ "${1: -1}" = " " ] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$1
    COMP_POINT=${#1}
    _textwright_cli textwright-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
  )
}
[ "$(complete_line 'textwright-cli re')" = "replace restore-backups " ] ||
  fail "completion of commands: $(complete_line 'textwright-cli re')"
[ "$(complete_line 'textwright-cli run --case')" = "--case-sensitive " ] ||
  fail "completion of options: $(complete_line 'textwright-cli run --case')"
[ "$(complete_line 'textwright-cli run ')" = "a.rpl sub " ] ||
  fail "completion after run: $(complete_line 'textwright-cli run ')"
[ "$(complete_line 'textwright-cli fi')" = "find " ] ||
  fail "completion of a command with two forms: $(complete_line 'textwright-cli fi')"
[ "$(complete_line 'textwright-cli find --co')" = "--count " ] ||
  fail "completion of find's options: $(complete_line 'textwright-cli find --co')"

$gui || {
  echo "check-installed: command-line tool checked (no desktop program installed)"
  exit 0
}

# The desktop entry and the metainfo pass their validators.
desktop-file-validate "$prefix/share/applications/com.brindlecove.Textwright.desktop"
appstreamcli validate --no-net --pedantic \
  "$prefix/share/metainfo/com.brindlecove.Textwright.metainfo.xml" >"$work/appstream.log" ||
  fail "appstreamcli: $(cat "$work/appstream.log")"

# The MIME type makes .rpl files configurations that Textwright opens.
mkdir -p "$work/mime/packages"
cp "$prefix/share/mime/packages/com.brindlecove.Textwright.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime" 2>&1 | { ! grep .; } ||
  fail "update-mime-database"
grep -qx 'application/x-textwright-rpl:\*\.rpl' "$work/mime/globs" || fail "no glob for *.rpl"

# The desktop program starts offscreen in a language, and reads its data from this tree.
language=German.lng
languages=("$prefix"/share/textwright/Language/*.lng)
if [ -e "${languages[0]}" ]; then
  [ -e "$prefix/share/textwright/Language/$language" ] || language=$(basename "${languages[0]}")
else
  languages=()
  echo "check-installed: no language files installed; the language file is not checked"
fi
mkdir -p "$work/config/Brindlecove"
printf '[General]\nLanguage=%s\n' "$language" >"$work/config/Brindlecove/Textwright.conf"
XDG_CONFIG_HOME="$work/config" HOME="$work" QT_QPA_PLATFORM=offscreen \
  strace -f -qq -e trace=openat -o "$work/opened" "$prefix/bin/textwright" \
  </dev/null >"$work/gui.log" 2>&1 &
gui_pid=$!
wanted=()
[ -d /usr/share/qt6/translations ] && [ -e /usr/share/qt6/translations/qtbase_de.qm ] &&
  [ "$language" = German.lng ] && wanted+=("qtbase_de.qm")
[ ${#languages[@]} -gt 0 ] && wanted+=("$prefix/share/textwright/Language/$language")
missing=("${wanted[@]}")
for _ in $(seq 1 100); do
  kill -0 "$gui_pid" 2>/dev/null || fail "the desktop program ended: $(cat "$work/gui.log")"
  missing=()
  for file in "${wanted[@]}"; do
    grep -F "$file\"" "$work/opened" 2>/dev/null | grep -vq ENOENT || missing+=("$file")
  done
  [ ${#missing[@]} -eq 0 ] && grep -q libQt6Widgets "$work/opened" 2>/dev/null && break
  sleep 0.2
done
[ ${#missing[@]} -eq 0 ] || fail "the desktop program did not read: ${missing[*]}"
sleep 1
kill -0 "$gui_pid" 2>/dev/null || fail "the desktop program ended: $(cat "$work/gui.log")"
stop_gui
echo "check-installed: command-line tool and desktop program checked in $prefix"
