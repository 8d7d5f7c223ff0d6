#!/usr/bin/env bash
# Runs one libFuzzer binary for a bounded time over a copy of its seed corpus,
# in a folder of its own, as CI does: a crash, a hang or any sanitizer report
# (undefined behaviour included) ends it with a non-zero status. Whatever the
# run writes (its HOME and TMPDIR included) lies in that folder, which goes
# afterwards, also when the target crashed or this script was interrupted.
#   fuzz_one.sh BINARY CORPUS_FOLDER SECONDS
set -u
[ $# -eq 3 ] || { echo "usage: fuzz_one.sh BINARY CORPUS_FOLDER SECONDS" >&2; exit 2; }
bin=$1 corpus=$2 seconds=$3
case $bin in
  /*) ;;
  */*) bin=$PWD/$bin ;;  # named from here; it runs in the folder below
esac
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
mkdir "$work/corpus" "$work/tmp"
[ -d "$corpus" ] && cp -r "$corpus"/. "$work/corpus"/
status=0
# halt_on_error: a report ends the run even from code built to recover.
(cd "$work" && HOME="$work" TMPDIR="$work/tmp" ASAN_OPTIONS=detect_leaks=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "$work/corpus") ||
  status=$?
exit $status
