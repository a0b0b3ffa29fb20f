#!/bin/sh
# Installs every Debian package that building, testing and running the utility needs.
# Idempotent: it only calls apt when something is missing, and says nothing then.
set -eu

PACKAGES="
build-essential
cmake
ninja-build
ccache
pkg-config
clang-format
clang
libclang-rt-14-dev
libfuzzer-14-dev
libudev-dev
libevdev-dev
libjsoncpp-dev
libgtest-dev
libgmock-dev
libbenchmark-dev
libpng-dev
libcurl4-openssl-dev
libpulse-dev
libasound2-dev
pipewire
pipewire-bin
rubberband-ladspa
openssl
python3
umockdev
libumockdev-dev
qt6-base-dev
qt6-tools-dev
libqt6uitools6
libqt6opengl6-dev
libgl-dev
libxkbcommon-dev
xvfb
xauth
dbus-daemon
dbus-bin
fonts-dejavu-core
fonts-wqy-microhei
appstream
dpkg-dev
file
groff-base
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

[ -z "$missing" ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "Installing:$missing"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing >/dev/null
