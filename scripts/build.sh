#!/usr/bin/env bash
# Configures and builds Sprocket into build/ (or the folder given as $1).
# SPROCKET_SANITIZE=1 builds with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build}"
sanitize="${SPROCKET_SANITIZE:-0}"
[[ "$sanitize" == 1 ]] && sanitize=ON || sanitize=OFF
# Compiler cache entries are shared between checkouts in other folders.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"

cmake -S "$root" -B "$build" -G Ninja -DSPROCKET_SANITIZE="$sanitize" >/dev/null
cmake --build "$build" --parallel
