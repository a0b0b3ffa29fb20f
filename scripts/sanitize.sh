#!/bin/sh
# Builds and runs the tests under the sanitizers, each in a build folder of its own:
#   asan  build-asan: every target with AddressSanitizer + UndefinedBehaviorSanitizer (and the
#         leak checker); the whole suite but the packaging checks (label "install").
#   tsan  build-tsan: ThreadSanitizer; the tests of the threaded parts (the command channel,
#         discovery, the lighting engine and its frame hand-off, the simulated bus, events).
# Usage: scripts/sanitize.sh [asan|tsan|all] (default all). A finding stops its test and fails it.
# The build command: scripts/build-step.sh (QX580_BUILD, the machine's build queue, QX580_JOBS).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
which_runs=${1:-all}

case "$which_runs" in
  asan|tsan|all) ;;
  *) echo "usage: scripts/sanitize.sh [asan|tsan|all]" >&2; exit 2 ;;
esac

./scripts/install-deps.sh

. ./scripts/build-step.sh

# -O1 keeps the instrumented tests quick without the compile time of -O2; -g1 gives the
# reports their file and line.
configure() {
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DQX580_BUILD_BENCH=OFF -DQX580_SANITIZE="$2" >/dev/null
}

# The tests of the parts that run threads, for ThreadSanitizer (plain C++ programs: Qt's own
# libraries are not instrumented, so a Qt test would report Qt's internal locking), by folder.
TSAN_TESTS="core/qx580_core_tests hid/qx580_hid_tests sim/qx580_sim_tests
devices/qx580_devices_tests lighting/qx580_lighting_tests lighting/qx580_lighting_tsan_tests"

if [ "$which_runs" = asan ] || [ "$which_runs" = all ]; then
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer (build-asan)"
  configure build-asan address,undefined
  build build-asan
  # The instrumented programs run several times slower: the tests' waits give up later.
  QX580_TEST_TIME_SCALE=${QX580_TEST_TIME_SCALE:-4} \
  ASAN_OPTIONS="abort_on_error=0:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1:detect_leaks=1" \
  LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:suppressions=$root/tests/sanitizers/ubsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j2 -LE install
fi

if [ "$which_runs" = tsan ] || [ "$which_runs" = all ]; then
  echo "== ThreadSanitizer (build-tsan)"
  configure build-tsan thread
  targets=""
  for t in $TSAN_TESTS; do targets="$targets ${t#*/}"; done
  # shellcheck disable=SC2086
  build build-tsan --target $targets
  # ThreadSanitizer's shadow memory needs the fixed layout that address-space randomisation
  # can break on newer kernels: the tests run with it turned off.
  passed=0
  failed=0
  for t in $TSAN_TESTS; do
    echo "-- $t"
    if QX580_DATA_DIR="$root/data" QX580_TEST_TIME_SCALE=${QX580_TEST_TIME_SCALE:-4} \
       TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/sanitizers/tsan.supp" \
       setarch x86_64 -R "build-tsan/tests/$t" --gtest_brief=1; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "ThreadSanitizer: $t FAILED"
    fi
  done
  echo "tsan: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
fi
