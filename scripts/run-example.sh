#!/usr/bin/env bash
# The main job on the bundled example. Until a run exists, it shows the tool's help.
set -euo pipefail
build=${1:-build}
"$build/cli/textwright-cli" --help
