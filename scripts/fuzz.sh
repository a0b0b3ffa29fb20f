#!/bin/sh
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer) in
# build-fuzz and runs them.
# Usage: scripts/fuzz.sh [TARGET|all] [SECONDS]   (default: all, 60 seconds each)
#        scripts/fuzz.sh --list                   (the targets)
# Each target starts from its seeds in tests/fuzz/corpus/TARGET (never written to); what it
# finds new goes to build-fuzz/corpus/TARGET, and an input that crashes it to
# build-fuzz/artifacts/. The last line says how many targets ran clean and how many failed.
# The build command: scripts/build-step.sh (QX580_BUILD, the machine's build queue, QX580_JOBS).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

TARGETS="fuzz_report_descriptor fuzz_command_channel fuzz_profile fuzz_profile_list
fuzz_light_config fuzz_macro_list fuzz_macro_file fuzz_recoil fuzz_palette fuzz_audio_styles
fuzz_language fuzz_update_time fuzz_update_reply fuzz_bus_payloads fuzz_bus_methods
fuzz_key_functions fuzz_macro_recorder fuzz_audio_capture fuzz_audio_blocks fuzz_audio_properties"

if [ "${1:-}" = "--list" ]; then
  for t in $TARGETS; do echo "$t"; done
  exit 0
fi
which=${1:-all}
seconds=${2:-60}
case "$seconds" in
  ''|*[!0-9]*) echo "fuzz.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
if [ "$which" != all ]; then
  case " $(echo $TARGETS) " in
    *" $which "*) TARGETS=$which ;;
    *) echo "fuzz.sh: no target '$which' (scripts/fuzz.sh --list)" >&2; exit 2 ;;
  esac
fi

# QX580_FUZZ_SEED fixes libFuzzer's random seed, so that a run can be repeated exactly (CI sets it).
seed_option=""
if [ -n "${QX580_FUZZ_SEED:-}" ]; then
  case "$QX580_FUZZ_SEED" in
    *[!0-9]*) echo "fuzz.sh: QX580_FUZZ_SEED must be a whole number" >&2; exit 2 ;;
  esac
  seed_option="-seed=$QX580_FUZZ_SEED"
fi

./scripts/install-deps.sh

. ./scripts/build-step.sh

cmake -S . -B build-fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" \
  -DQX580_FUZZ=ON -DQX580_SANITIZE=address,undefined -DQX580_BUILD_TESTS=OFF \
  -DQX580_BUILD_BENCH=OFF >/dev/null
# shellcheck disable=SC2086
build build-fuzz --target $TARGETS

mkdir -p build-fuzz/artifacts
passed=0
failed=0
failures=""
for t in $TARGETS; do
  seeds="$root/tests/fuzz/corpus/$t"
  work="$root/build-fuzz/corpus/$t"
  log="$root/build-fuzz/$t.log"
  mkdir -p "$work"
  [ -d "$seeds" ] || seeds=""
  echo "== $t (${seconds}s)"
  # Leaks are looked for too; a run that stops for any finding fails.
  if ASAN_OPTIONS="detect_leaks=1:abort_on_error=0" \
     LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0" \
     UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
     "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 $seed_option \
       -print_final_stats=1 -artifact_prefix="$root/build-fuzz/artifacts/$t-" \
       "$work" $seeds >"$log" 2>&1; then
    passed=$((passed + 1))
    result=clean
  else
    failed=$((failed + 1))
    failures="$failures $t"
    result="FAILED (log: $log)"
    tail -n 40 "$log"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  units=$(ls "$work" | wc -l)
  echo "$t: ${runs:-0} executions, corpus $units, $result"
done

if [ "$failed" -gt 0 ]; then
  echo "fuzz targets that failed:$failures"
fi
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
