#!/bin/bash
# The bash completion of qx580ctl offers the right words at each position. bash-completion's
# helpers are replaced by minimal ones, so the test needs only bash.
# usage: completion_test.sh COMPLETION_FILE
set -u

_init_completion() {
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
    cur=${words[cword]}
    prev=${words[cword - 1]-}
}
_filedir() { COMPREPLY+=("<file${1:+ $1}>"); }
complete() { :; }

# shellcheck source=/dev/null
source "$1" || { echo "cannot load $1"; exit 1; }

failures=0
# expect "WORDS ON THE LINE" "WORDS EXPECTED": the last word is the one being completed.
expect() {
    read -ra COMP_WORDS <<<"$1"
    [[ $1 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _qx580ctl
    local got="${COMPREPLY[*]}"
    if [[ $got != "$2" ]]; then
        echo "\"$1\": expected \"$2\", got \"$got\""
        failures=$((failures + 1))
    fi
}

expect "qx580ctl h" "hid headset"
expect "qx580ctl --sim" "--simulate --simulate=all"
expect "qx580ctl --simulate=all s" "sim"
expect "qx580ctl hid " "list decode"
expect "qx580ctl hid decode " "<file>"
expect "qx580ctl sim mem keyboard " "identity config keytable keybytes keymask frame macros recoil status"
expect "qx580ctl sim fault pad-receiver st" "status-ff status-fe stray-reply"
expect "qx580ctl sim plug mouse-" "mouse-receiver"
expect "qx580ctl profile --device " "keyboard mouse pad headset"
expect "qx580ctl profile --device mouse re" "rename reset"
expect "qx580ctl effect render --id 3 --out " "<file png>"
expect "qx580ctl headset " "get set"
expect "qx580ctl ui answer " "confirm cancel"
expect "qx580ctl k" "key keyboard"
expect "qx580ctl macro " "list show import export delete"
expect "qx580ctl macro import " "<file mac>"
expect "qx580ctl key set --device " "keyboard mouse"
expect "qx580ctl dpi set --st" "--stage"
expect "qx580ctl recoil export --gun 1 " "<file>"
expect "qx580ctl headset set mic-mute " "on off"

[[ $failures -eq 0 ]] && echo "all completions right"
exit $((failures > 0))
