#!/bin/sh
# Installs what is missing, builds, and runs the program on simulated devices (a keyboard and a
# headset). Without a display it runs under a virtual one (xvfb-run), without a session bus under
# a private one (dbus-run-session). Arguments go to the program (e.g. --screenshot FILE.png).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target qx580 qx580ctl -j2

set -- ./build/src/app/qx580 --simulate "$@"
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/bus" ]; then
  set -- dbus-run-session -- "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$@"
fi
exec "$@"
