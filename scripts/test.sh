#!/usr/bin/env bash
# The test command: installs what is missing, then builds and runs every test twice, once
# normally and once under AddressSanitizer and UndefinedBehaviorSanitizer, and the runtime's and
# the engine's own tests a third time under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# As under CI: a check whose judge (FFmpeg, ExifTool, a display, Python) is missing fails.
export CI=true

run_ctest() {
  local dir=$1; shift
  if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$dir" --output-on-failure -j2 "$@"
  else
    ctest --test-dir "$dir" --output-on-failure -j2 "$@"
  fi
}

scripts/build.sh build
run_ctest build

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
scripts/build.sh build-asan -DSPLICORA_SANITIZE=ON -DSPLICORA_BENCH=OFF
run_ctest build-asan

# No GUI and no benchmark: only the two test programs are built, and only their tests run.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
scripts/build.sh build-tsan -DSPLICORA_SANITIZE=thread -DSPLICORA_BENCH=OFF \
  -DSPLICORA_BUILD_GUI=OFF -- runtime_tests engine_tests
run_ctest build-tsan -L threads
