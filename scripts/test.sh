#!/usr/bin/env bash
# Builds and runs the whole test suite: a plain build, then the same tests under AddressSanitizer
# with UndefinedBehaviorSanitizer, then the threaded tests under ThreadSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"

run_suite() {
  local dir=$1; shift
  bash "$root/scripts/build.sh" "$dir" "$@"
  (cd "$dir" && ctest --output-on-failure -j2 --timeout 900)
}

echo "== plain build"
run_suite "$root/build"
echo "== address and undefined-behaviour sanitizers"
# Child processes (the launcher and the inspector run by the scenarios) inherit these settings.
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
run_suite "$root/build-asan" -DQEL_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

echo "== thread sanitizer on the threaded parts (message loop, named objects, UI messages, execution host)"
cmake -S "$root" -B "$root/build-tsan" -G Ninja -DQEL_SANITIZE=thread -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$root/build-tsan" -j"$(nproc)" --target test_platform test_uimsg ConfigurableScript HooklessScript
(cd "$root/build-tsan" && ctest --output-on-failure -R 'test_platform|test_uimsg' --timeout 900)
