#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   ZORV_BUILD_DIR  build folder (default: build)
#   ZORV_SANITIZE=1 build with AddressSanitizer and UndefinedBehaviorSanitizer
set -eu
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/deps.sh"
build=${ZORV_BUILD_DIR:-$top/build}
san=OFF
if [ "${ZORV_SANITIZE:-0}" = 1 ]; then
  san=ON
  # Fatal-error tests end the process with objects still alive, and the X and
  # font libraries keep their caches to the end: leak reports would be noise.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
fi
cmake -S "$top" -B "$build" -G Ninja -DZORV_SANITIZE=$san >/dev/null
cmake --build "$build"
cd "$build"
ctest -j"$(nproc)" --output-on-failure --timeout 600
