# shellcheck shell=bash
# The head shared by the compare-*.sh scripts, sourced first: the build to measure (their
# first argument, default build-bench), the repository, the command-line tool, the corpus and
# where results go, and `need` to check that the programs a script runs are there.
#
#   . "$(dirname "$0")/common.sh"
#   need hyperfine sed /usr/bin/time
# shellcheck disable=SC2034 # the variables are the sourcing script's
name=$(basename "$0" .sh)
build=$(cd "${1:-build-bench}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cli="$build/cli/textwright-cli"
corpus=${CORPUS:-/tmp/textwright-corpus}
results="$corpus.results"

die() {
  echo "$name: $*" >&2
  exit 2
}

need() {
  local tool
  for tool in "$@"; do
    if [[ $tool == /* ]]; then
      [ -x "$tool" ] || die "$tool is missing (apt-get install $(basename "$tool"))"
    else
      command -v "$tool" >/dev/null || die "$tool is missing (apt-get install $tool)"
    fi
  done
}

[ -x "$cli" ] || die "no textwright-cli in $build/cli"
