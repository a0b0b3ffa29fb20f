# Sourced by the build and test scripts: build DIR [--target T ...] builds a configured tree.
# QX580_BUILD names the command when set; else a machine's shared build queue, "qxbuild" (on
# the PATH or in /work/bin), which takes the tree and targets as cmake --build does and keeps
# the machine's compiler jobs few; else cmake --build with QX580_JOBS jobs (default 2).
build() {
  if [ -n "${QX580_BUILD:-}" ]; then
    $QX580_BUILD "$@"
  elif command -v qxbuild >/dev/null 2>&1; then
    qxbuild "$@"
  elif [ -x /work/bin/qxbuild ]; then
    /work/bin/qxbuild "$@"
  else
    cmake --build "$@" -j"${QX580_JOBS:-2}"
  fi
}
