#!/bin/sh
# Builds the Debian package from the built programs, unpacks it into a temporary root outside
# the build tree and runs both programs from there, on the packaged data only.
# usage: package_test.sh CPACK BUILD_DIR OUTPUT_DIR
set -eu
cpack=$1
build=$2
out=$3

root=$(mktemp -d "${TMPDIR:-/tmp}/qx580-package-XXXXXX")
trap 'rm -rf "$root"' EXIT INT TERM
fail() { echo "FAIL: $*"; exit 1; }

rm -rf "$out"
mkdir -p "$out"
"$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; fail "cpack"; }
deb=$(ls "$out"/*.deb)
[ "$(echo "$deb" | wc -l)" -eq 1 ] || fail "expected one package, got: $deb"

fields=$(dpkg-deb -f "$deb" Package Version Depends)
echo "$fields"
echo "$fields" | grep -q '^Depends:.*libqt6widgets6' || fail "no shared-library dependencies"

dpkg-deb -x "$deb" "$root/pkg"
for file in usr/bin/qx580 usr/bin/qx580ctl usr/share/qx580/DefaultData/keyboard.Json \
    usr/share/qx580/skin/main.ui usr/lib/udev/rules.d/70-qx580.rules \
    usr/share/applications/org.mirvel.QX580.desktop \
    usr/share/metainfo/org.mirvel.QX580.metainfo.xml \
    usr/share/icons/hicolor/64x64/apps/org.mirvel.QX580.png \
    usr/share/man/man1/qx580.1 usr/share/man/man1/qx580ctl.1 \
    usr/share/bash-completion/completions/qx580ctl; do
  [ -e "$root/pkg/$file" ] || fail "$file is not in the package"
done
grep -q 'TAG+="uaccess"' "$root/pkg/usr/lib/udev/rules.d/70-qx580.rules" ||
  fail "the udev rule does not grant access to the logged-in user"

# The programs see only the package: no data folder from the environment, a home of their own.
unset QX580_DATA_DIR QX580_HID QX580_DEBUG
export HOME="$root/home" XDG_DATA_HOME="$root/home/data" XDG_CONFIG_HOME="$root/home/config"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
bin="$root/pkg/usr/bin"

version=$("$bin/qx580ctl" --version) || fail "qx580ctl --version"
echo "$version" | grep -Eq '^qx580ctl [0-9]+\.[0-9]+\.[0-9]+$' || fail "qx580ctl --version: $version"
version=$("$bin/qx580" --version) || fail "qx580 --version"
echo "$version" | grep -Eq '^qx580 [0-9]+\.[0-9]+\.[0-9]+$' || fail "qx580 --version: $version"

list=$("$bin/qx580ctl" --simulate hid list --json) || fail "qx580ctl --simulate hid list"
echo "$list" | grep -q '"slot"' || fail "hid list shows no interface: $list"

# The window is built from the packaged skin and defaults; with a data folder missing it
# would not start.
shot="$root/shot.png"
QX580_DEBUG=1 timeout 60 xvfb-run -a -s "-screen 0 1920x1080x24" \
  dbus-run-session -- "$bin/qx580" --simulate --screenshot "$shot" >"$root/run.log" 2>&1 ||
  { cat "$root/run.log"; fail "qx580 --simulate --screenshot"; }
[ -s "$shot" ] || { cat "$root/run.log"; fail "no screenshot was written"; }
[ "$(head -c 4 "$shot" | tail -c 3)" = "PNG" ] || fail "the screenshot is not a PNG picture"

# And it was the package's data: without it the program names the packaged folder it looked in,
# even though the source tree's data is on this machine.
mv "$root/pkg/usr/share/qx580" "$root/moved-data"
if timeout 60 xvfb-run -a dbus-run-session -- "$bin/qx580" --simulate --screenshot "$root/none.png" \
    >"$root/run.log" 2>&1 && [ -e "$root/none.png" ]; then
  fail "qx580 ran without the packaged data folder"
fi
grep -q "$root/pkg/usr/share/qx580/skin" "$root/run.log" ||
  { cat "$root/run.log"; fail "qx580 did not look for its data in the package"; }
echo "package runs from $root/pkg"
