#!/usr/bin/env bash
# Installs what is missing, builds and starts the program on $DISPLAY.
set -eu
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/deps.sh"
build=${ZORV_BUILD_DIR:-$top/build-run}
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build"
echo "nothing to run yet" >&2
exit 1
