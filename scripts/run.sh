#!/bin/sh
# Installs what is missing, builds, and runs the program: on the attached devices when a supported
# one is attached, else on simulated ones (a keyboard, a mouse, a pad and a headset). Without a
# display it runs under a virtual one (xvfb-run), without a session bus under a private one
# (dbus-run-session). Arguments go to the program (e.g. --screenshot FILE.png).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target qx580 qx580ctl -j2

# A supported device is attached when some HID interface matches a slot of the device table.
if ./build/src/ctl/qx580ctl hid list --json 2>/dev/null | grep -Eq '"slot" : [0-9]+'; then
  set -- ./build/src/app/qx580 "$@"
else
  set -- ./build/src/app/qx580 --simulate=all "$@"
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && [ ! -S "${XDG_RUNTIME_DIR:-/nonexistent}/bus" ]; then
  set -- dbus-run-session -- "$@"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" "$@"
fi
exec "$@"
