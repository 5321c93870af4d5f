#!/usr/bin/env bash
# Checks that every C++ source of the tree follows .clang-format; lists the
# files that do not. Fix them with: clang-format -i FILE...
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
command -v clang-format >/dev/null || { echo "clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for file in "${files[@]}"; do
  clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done
if [[ ${#bad[@]} -gt 0 ]]; then
  printf 'Not formatted (clang-format -i):\n' >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files follow .clang-format"
