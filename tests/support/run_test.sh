#!/usr/bin/env bash
# Runs one test program in a sandbox of its own: a fresh HOME and working
# folder, the stand-in message-box programs first on PATH, stdin from
# /dev/null. "$HOME/tmp" exists, so the library's $TEMP is private to the
# test too. The folder is removed afterwards (also when the run is
# interrupted) unless ZORV_KEEP_TEST_TMP is set. A test program started by
# hand runs itself again through this script.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ $# -gt 0 ] || { echo "usage: $0 program [argument...]" >&2; exit 2; }
# The program is named from the caller's folder, not the sandbox's.
program=$1
shift
case $program in
  /*) ;;
  */*) program=$PWD/$program ;;
esac
root=$(mktemp -d "${ZORV_TEST_TMPROOT:-/tmp}/zorv-test.XXXXXX") || exit 99
cleanup() { [ -n "${ZORV_KEEP_TEST_TMP:-}" ] || rm -rf "$root"; }
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
mkdir -p "$root/home/tmp" "$root/work" "$root/tmp"
export HOME="$root/home"
export TMPDIR="$root/tmp"
export ZORV_TEST_TMP="$root"
export XMESSAGE_LOG="$root/xmessage.log"
export PATH="$here/bin:$PATH"
unset DISPLAY BROWSER DESKTOP DESKTOP_SESSION
cd "$root/work" || exit 99
"$program" "$@" </dev/null
exit $?
