#!/usr/bin/env bash
# Runs one test program in a sandbox of its own: a fresh HOME and working
# folder, the stand-in message-box programs first on PATH, stdin from
# /dev/null. "$HOME/tmp" exists, so the library's $TEMP is private to the
# test too. The folder is removed afterwards unless ZORV_KEEP_TEST_TMP is set.
# A test program started by hand runs itself again through this script.
#
# The program runs as this script's child: a termination signal sent to the
# script is passed on to it, and the script ends when it has ended. When the
# script itself is killed outright, the kernel ends the program with it (see
# test_main.cpp) and a watcher removes the sandbox.
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
# Absolute, since the sandbox is entered with cd.
tmproot=${ZORV_TEST_TMPROOT:-/tmp}
case $tmproot in
  /*) ;;
  *) tmproot=$PWD/$tmproot ;;
esac
# True when the process is gone or only waits to be reaped.
gone() {
  local stat
  { read -r stat <"/proc/$1/stat"; } 2>/dev/null || return 0
  stat=${stat##*) }
  [ "${stat:0:1}" = Z ]
}

# Reads what the script tells it through a pipe that only the script holds:
# the sandbox, the program's process id, then "done" when the script ends as
# it should. The pipe closing without "done" means the script was killed: the
# watcher waits (at most 10 s) for the program to go with it and removes the
# sandbox.
watch_script() {
  trap '' INT TERM HUP QUIT
  local word value root='' child=''
  while read -r word value; do
    case $word in
      root) root=$value ;;
      child) child=$value ;;
      done) return 0 ;;
    esac
  done
  if [ -n "$child" ]; then
    for _ in {1..200}; do
      gone "$child" && break
      sleep 0.05
    done
  fi
  [ -z "$root" ] || [ -n "${ZORV_KEEP_TEST_TMP:-}" ] || rm -rf "$root"
}
exec {watcher}> >(exec >/dev/null 2>&1; watch_script)

root=$(mktemp -d "$tmproot/zorv-test.XXXXXX") || exit 99
echo "root $root" >&"$watcher"
child=''
cleanup() {
  [ -n "${ZORV_KEEP_TEST_TMP:-}" ] || rm -rf "$root"
  trap '' PIPE
  echo done >&"$watcher"
}
trap cleanup EXIT
# Passed on to the program once it runs; before, the script ends (and the
# program, should it have started, goes with it).
forward() {
  if [ -n "$child" ]; then
    kill -s "$1" "$child" 2>/dev/null
  else
    exit "$2"
  fi
}
trap 'forward INT 130' INT
trap 'forward TERM 143' TERM
trap 'forward HUP 129' HUP
trap 'forward QUIT 131' QUIT

mkdir -p "$root/home/tmp" "$root/work" "$root/tmp"
export HOME="$root/home"
export TMPDIR="$root/tmp"
export ZORV_TEST_TMP="$root"
export XMESSAGE_LOG="$root/xmessage.log"
export PATH="$here/bin:$PATH"
export ZORV_TEST_LAUNCHER_PID=$$
unset DISPLAY BROWSER DESKTOP DESKTOP_SESSION
cd "$root/work" || exit 99
"$program" "$@" </dev/null {watcher}>&- &
child=$!
echo "child $child" >&"$watcher"
while :; do
  wait "$child"
  status=$?
  # A signal passed on ends the wait early: wait again until the program
  # has been reaped, for its own status.
  [ "$status" -gt 128 ] && kill -0 "$child" 2>/dev/null || break
done
exit "$status"
