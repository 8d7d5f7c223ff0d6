#!/usr/bin/env bash
# Runs one test program in a sandbox of its own: a fresh HOME and working
# folder, the stand-in message-box programs first on PATH, stdin from
# /dev/null. "$HOME/tmp" exists, so the library's $TEMP is private to the
# test too. The folder is removed afterwards unless ZORV_KEEP_TEST_TMP is set.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(mktemp -d "${ZORV_TEST_TMPROOT:-/tmp}/zorv-test.XXXXXX") || exit 99
mkdir -p "$root/home/tmp" "$root/work" "$root/tmp"
export HOME="$root/home"
export TMPDIR="$root/tmp"
export ZORV_TEST_TMP="$root"
export XMESSAGE_LOG="$root/xmessage.log"
export PATH="$here/bin:$PATH"
unset DISPLAY BROWSER DESKTOP DESKTOP_SESSION
cd "$root/work" || exit 99
"$@" </dev/null
status=$?
[ -n "${ZORV_KEEP_TEST_TMP:-}" ] || rm -rf "$root"
exit $status
