#!/bin/sh
# qx580ctl profile on a fresh user data folder: the list, each action and its exit status.
set -u
ctl="$1"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home"
failed=0
check() {  # check EXPECTED_STATUS ARGS...
    expected=$1
    shift
    "$ctl" profile "$@" >"$home/out" 2>"$home/err"
    status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: profile $* exited $status, expected $expected"; cat "$home/err"; failed=1
    fi
}
check 0 --device keyboard list --json
grep -q '"name" : "profile1"' "$home/out" || { echo "FAIL: no profile1"; failed=1; }
grep -q '"selected" : 0' "$home/out" || { echo "FAIL: no selection"; failed=1; }
check 0 --device keyboard new
check 0 --device keyboard copy
check 3 --device keyboard rename PROFILE1
check 4 --device keyboard rename "   "
check 0 --device keyboard rename Work
check 0 --device keyboard export "$home/w.json"
check 0 --device keyboard import "$home/w.json"
check 1 --device keyboard import /dev/null
check 0 --device keyboard select 0
check 0 --device keyboard delete
check 0 --device keyboard reset
check 1 --device keyboard select 99
check 2 --device keyboard
check 2 --device nothing list
check 0 --device HD list --json
folder="$home/MIRVEL QX-580 Device/keyboard"
[ -f "$folder/ProfileList.ini" ] || { echo "FAIL: no list file"; failed=1; }
count=$(ls "$folder"/*.Json | wc -l)
[ "$count" -eq 3 ] || { echo "FAIL: $count profile files, expected 3"; failed=1; }
if [ "$failed" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
