#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds Sprocket and renders the
# demo timeline of examples/ to a movie with sprocket-render.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
mkdir -p "$root/out"
config="$root/out/config"
mkdir -p "$config"

status=0
"$root/build/src/cli/sprocket-render" "$root/examples/demo.tle" --out "$root/out/demo.avi" --yes \
  --config "$config" || status=$?
if [[ $status -eq 0 ]]; then
  echo "The demo movie is at $root/out/demo.avi"
fi
exit $status
