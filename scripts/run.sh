#!/bin/sh
# Installs what is missing, builds, and runs the program. Without attached devices it uses the
# simulated ones.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j2
exec ./build/src/ctl/qx580ctl --simulate device info "$@"
