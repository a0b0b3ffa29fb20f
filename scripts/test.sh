#!/bin/sh
# Installs what is missing, builds everything and runs the tests.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
. ./scripts/build-step.sh
build build
ctest --test-dir build --output-on-failure -j2
