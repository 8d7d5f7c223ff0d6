#!/usr/bin/env bash
# Installs what is missing, builds the installer and the demonstration
# package, writes the package into the build folder and starts the installer
# on it on $DISPLAY. Further arguments go to the installer (-a leaves out the
# language page).
set -eu
if [ -z "${DISPLAY:-}" ]; then
  echo "run.sh: DISPLAY is not set; start it from an X session" >&2
  exit 1
fi
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/deps.sh"
build=${ZORV_BUILD_DIR:-$top/build-run}
cmake -S "$top" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target installer make_demo_package
build=$(cd "$build" && pwd)
demo="$build/demo"
mkdir -p "$demo"
"$build/make_demo_package" "$demo"
# A path that does not begin with a path variable would be taken below the
# default configuration folder; "$ROOT2" is the root of the file system.
exec "$build/installer" -x "\$ROOT2$demo/installer.xml" "$@"
