#!/usr/bin/env bash
# Installs what is missing, builds and starts the program on $DISPLAY. Until
# the installer exists, the program is the platform demonstration (a window
# of four coloured quarters; Escape or the close button ends it).
set -eu
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/deps.sh"
build=${ZORV_BUILD_DIR:-$top/build-run}
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target platform_demo
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: DISPLAY is not set; start it from an X session" >&2
  exit 1
fi
exec "$build/platform_demo" "$@"
