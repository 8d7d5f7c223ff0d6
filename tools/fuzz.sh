#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly over its
# seed corpus (ZORV_FUZZ_SECONDS each, default 30). A crash, leak-free hang or
# sanitizer report fails the run.
set -eu
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/deps.sh"
shopt -s nullglob
targets=("$top"/fuzz/*.cpp)
[ ${#targets[@]} -eq 0 ] && { echo "no fuzz targets"; exit 0; }
build=${ZORV_FUZZ_BUILD_DIR:-$top/fuzz-build}
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DZORV_FUZZ=ON -DZORV_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
seconds=${ZORV_FUZZ_SECONDS:-30}
for src in "${targets[@]}"; do
  name=$(basename "$src" .cpp)
  corpus="$top/fuzz/corpus/$name"
  work=$(mktemp -d)
  [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
  echo "fuzzing $name for ${seconds}s"
  (cd "$work" && HOME="$work" ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/fuzz_$name" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "$work" \
      >"$work/log" 2>&1) || { tail -40 "$work/log"; exit 1; }
  rm -rf "$work"
done
echo "fuzzing passed"
