#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly over its
# seed corpus (ZORV_FUZZ_SECONDS each, default 30), as many at once as there
# are processors. A crash, leak-free hang or sanitizer report (undefined
# behaviour included) fails the run.
set -eu
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/tools/deps.sh"
shopt -s nullglob
targets=("$top"/fuzz/*.cpp)
[ ${#targets[@]} -eq 0 ] && { echo "no fuzz targets"; exit 0; }
names=()
for src in "${targets[@]}"; do names+=("$(basename "$src" .cpp)"); done
build=${ZORV_FUZZ_BUILD_DIR:-$top/fuzz-build}
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DZORV_FUZZ=ON -DZORV_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The fuzz targets only: the programs and tools are built and tested elsewhere.
cmake --build "$build" --target "${names[@]/#/fuzz_}"
seconds=${ZORV_FUZZ_SECONDS:-30}
jobs=${ZORV_FUZZ_JOBS:-$(nproc)}
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# Runs one target; its output goes to $logs/<name>.
fuzz_one() {
  "$top/tools/fuzz_one.sh" "$build/fuzz/fuzz_$1" "$top/fuzz/corpus/$1" "$seconds" >"$logs/$1" 2>&1
}

failed=()
running=()   # pids, in step with running_names
running_names=()
# Waits for the oldest run and records it if it failed.
reap() {
  wait "${running[0]}" || failed+=("${running_names[0]}")
  running=("${running[@]:1}")
  running_names=("${running_names[@]:1}")
}
for name in "${names[@]}"; do
  [ ${#running[@]} -ge "$jobs" ] && reap
  echo "fuzzing $name for ${seconds}s"
  fuzz_one "$name" &
  running+=($!)
  running_names+=("$name")
done
while [ ${#running[@]} -gt 0 ]; do reap; done

for name in "${failed[@]}"; do
  echo "fuzz_$name failed:"
  tail -40 "$logs/$name"
done
[ ${#failed[@]} -eq 0 ] || exit 1
echo "fuzzing passed"
