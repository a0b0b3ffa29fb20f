#!/bin/bash
# How much the idle program costs: starts `qx580 --simulate` with private user folders, waits for
# its window, lets it settle, then samples every thread of the process for a while and prints the
# share of one core and the wake-ups per second, per thread (by name) and for the whole program.
#
#   bench/idle/measure_idle.sh [--seconds N] [--settle S] [--program PATH] [-- qx580 options]
#
# Without a display it runs under `xvfb-run -a`, without a session bus under `dbus-run-session`.
# Wake-ups are the thread's voluntary context switches (each is a sleep that ended); "preempted"
# counts the involuntary ones. CPU time comes from schedstat (nanoseconds) where the kernel
# offers it, else from the tick counts of stat.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
seconds=10
settle=3
program="$root/build/src/app/qx580"
extra=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seconds) seconds=$2; shift 2 ;;
        --settle) settle=$2; shift 2 ;;
        --program) program=$2; shift 2 ;;
        --) shift; extra=("$@"); break ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) echo "measure_idle: unknown option $1" >&2; exit 2 ;;
    esac
done
case "$seconds" in ''|*[!0-9]*|0) echo "measure_idle: --seconds needs a whole number > 0" >&2; exit 2 ;; esac
case "$settle" in ''|*[!0-9]*) echo "measure_idle: --settle needs a whole number" >&2; exit 2 ;; esac
[ -x "$program" ] || { echo "measure_idle: no program at $program (build the qx580 target)" >&2; exit 2; }

# A display and a session bus first: the script runs itself again inside them.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    command -v xvfb-run >/dev/null || { echo "measure_idle: no display and no xvfb-run" >&2; exit 2; }
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --seconds "$seconds" --settle "$settle" \
        --program "$program" -- "${extra[@]}"
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    command -v dbus-run-session >/dev/null || { echo "measure_idle: no session bus and no dbus-run-session" >&2; exit 2; }
    exec dbus-run-session -- "$0" --seconds "$seconds" --settle "$settle" --program "$program" \
        -- "${extra[@]}"
fi

home=$(mktemp -d)
pid=""
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill -TERM "$pid" 2>/dev/null || true
        for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -rf "$home"
}
trap cleanup EXIT
mkdir -p "$home/data" "$home/config" "$home/cache" "$home/runtime"
chmod 700 "$home/runtime"
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
export XDG_RUNTIME_DIR="$home/runtime"

"$program" --simulate "${extra[@]}" >"$home/out.log" 2>&1 &
pid=$!

# The window is shown once the first pass over the devices is done.
shown=0
for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || { echo "measure_idle: the program ended:" >&2; cat "$home/out.log" >&2; exit 1; }
    if [ -n "${DISPLAY:-}" ] && command -v xwininfo >/dev/null; then
        if xwininfo -name "MIRVEL QX-580 Device" 2>/dev/null | grep -q "IsViewable"; then shown=1; break; fi
    else
        sleep 5; shown=1; break  # no way to look at the window: give it time instead
    fi
    sleep 0.1
done
[ "$shown" = 1 ] || { echo "measure_idle: the window did not come up within 30 s" >&2; exit 1; }
sleep "$settle"

# One line per thread: tid, cpu nanoseconds, voluntary and involuntary switches, name.
snapshot() {
    local hz task tid ns vol invol name
    hz=$(getconf CLK_TCK)
    for task in /proc/"$pid"/task/*; do
        tid=${task##*/}
        if [ -r "$task/schedstat" ]; then
            ns=$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null) || continue
        else
            # utime and stime: fields 14 and 15, counted after the name in parentheses.
            ns=$(sed 's/^.*) //' "$task/stat" 2>/dev/null |
                awk -v hz="$hz" '{ printf "%.0f", ($12 + $13) * 1e9 / hz }') || continue
        fi
        vol=$(awk '/^voluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null) || continue
        invol=$(awk '/^nonvoluntary_ctxt_switches/ { print $2 }' "$task/status" 2>/dev/null) || continue
        name=$(cat "$task/comm" 2>/dev/null) || continue
        [ -n "$ns" ] && [ -n "$vol" ] && [ -n "$invol" ] || continue
        printf '%s %s %s %s %s\n' "$tid" "$ns" "$vol" "$invol" "$name"
    done
}

before=$(snapshot)
start_ns=$(date +%s%N)
sleep "$seconds"
after=$(snapshot)
end_ns=$(date +%s%N)
kill -0 "$pid" 2>/dev/null || { echo "measure_idle: the program ended during the measurement" >&2; exit 1; }

echo "qx580 --simulate${extra[*]:+ ${extra[*]}}, window shown, idle for ${seconds} s after ${settle} s (pid $pid)"
awk -v elapsed_ns=$((end_ns - start_ns)) '
    FNR == NR { ns[$1] = $2; vol[$1] = $3; inv[$1] = $4; next }
    {
        tid = $1; name = $5; for (i = 6; i <= NF; ++i) name = name " " $i
        # A thread born during the measurement counts from zero.
        dns = $2 - ns[tid]; dvol = $3 - vol[tid]; dinv = $4 - inv[tid]
        s = elapsed_ns / 1e9
        printf "%-18s %7d %8.2f %10.1f %10.1f\n", name, tid, dns / elapsed_ns * 100, dvol / s, dinv / s
        tns += dns; tvol += dvol; tinv += dinv
    }
    END {
        s = elapsed_ns / 1e9
        printf "%-18s %7s %8.2f %10.1f %10.1f\n", "whole program", "", tns / elapsed_ns * 100, tvol / s, tinv / s
    }' <(echo "$before") <(echo "$after") |
    { printf "%-18s %7s %8s %10s %10s\n" "thread" "tid" "cpu%" "wakeups/s" "preempt/s"; sort -k1,1 -s; } |
    awk '/^whole program/ { last = $0; next } { print } END { print last }'
