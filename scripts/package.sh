#!/bin/sh
# Builds the Debian package of the utility into build/ (qx580_VERSION_ARCH.deb): installs what
# is missing, builds both programs, and packs them with their data under /usr.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target qx580 qx580ctl -j2
cpack --config build/CPackConfig.cmake -B build
ls build/*.deb
