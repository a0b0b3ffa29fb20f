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

# Writes that fail: the tool says which folder and exits 1, and nothing is listed that is not
# on disk. Tests run as root, which ignores folder permissions, so the failures are real ones:
# a data folder below a regular file, and a file-size limit of zero (a full disk).
printf x >"$home/file"
XDG_DATA_HOME="$home/file/sub" "$ctl" profile --device mouse list >"$home/out" 2>"$home/err"
status=$?
[ "$status" -eq 1 ] || { echo "FAIL: list below a file exited $status"; failed=1; }
grep -q "$home/file/sub/MIRVEL QX-580 Device/mouse" "$home/err" ||
    { echo "FAIL: no folder named:"; cat "$home/err"; failed=1; }
before=$(ls -a "$folder"; cat "$folder/ProfileList.ini")
for action in new copy delete reset "rename Other" "import $home/w.json"; do
    # The messages go through a pipe: the limit would stop them reaching a file too.
    # shellcheck disable=SC2086
    (trap '' XFSZ; ulimit -f 0; "$ctl" profile --device keyboard $action >/dev/null
        echo "exit $?") 2>&1 | cat >"$home/err"
    grep -q "^exit 1$" "$home/err" ||
        { echo "FAIL: $action on a full disk:"; cat "$home/err"; failed=1; }
    grep -q "in the folder \"$folder\"" "$home/err" ||
        { echo "FAIL: $action names no folder:"; cat "$home/err"; failed=1; }
    after=$(ls -a "$folder"; cat "$folder/ProfileList.ini")
    [ "$before" = "$after" ] || { echo "FAIL: $action changed the folder"; failed=1; }
done
# A damaged list is rebuilt from the profile files and the user is told once.
printf '{ "profilelist" : [' >"$folder/ProfileList.ini"
check 0 --device keyboard list --json
grep -q "could not be read; 3 profiles" "$home/err" || { echo "FAIL: not told"; cat "$home/err"; failed=1; }
grep -q '"name" : "Work"' "$home/out" || { echo "FAIL: Work not recovered"; failed=1; }
[ "$(cat "$folder/ProfileList.ini.damaged")" = '{ "profilelist" : [' ] ||
    { echo "FAIL: damaged bytes not kept"; failed=1; }
check 0 --device keyboard list
[ -s "$home/err" ] && { echo "FAIL: told twice"; failed=1; }

if [ "$failed" -eq 0 ]; then echo "1 passed, 0 failed"; else echo "0 passed, 1 failed"; exit 1; fi
