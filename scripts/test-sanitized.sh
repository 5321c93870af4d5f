#!/usr/bin/env bash
# Builds Sprocket with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (or the folder given as $1) and runs every test there: any
# out-of-bounds access, use after free or undefined behaviour fails the test
# that caused it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-asan}"

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DSPROCKET_SANITIZE=ON -DSPROCKET_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel
cd "$build"
export ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
