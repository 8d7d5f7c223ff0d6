#!/usr/bin/env bash
# Runs one libFuzzer binary for a bounded time over a copy of its seed corpus,
# in a folder of its own, as CI does: a crash, a hang or any sanitizer report
# (undefined behaviour included) ends it with a non-zero status.
#   fuzz_one.sh BINARY CORPUS_FOLDER SECONDS
set -u
[ $# -eq 3 ] || { echo "usage: fuzz_one.sh BINARY CORPUS_FOLDER SECONDS" >&2; exit 2; }
bin=$1 corpus=$2 seconds=$3
work=$(mktemp -d)
[ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
status=0
# halt_on_error: a report ends the run even from code built to recover.
(cd "$work" && HOME="$work" ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 "$work") || status=$?
rm -rf "$work"
exit $status
