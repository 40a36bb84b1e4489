#!/usr/bin/env bash
# Every C++ file of the tree is laid out as .clang-format says (hand-aligned tables are
# marked off with clang-format off/on). Lists the files that are not, and fails.
set -euo pipefail
cd "$(dirname "$0")/../.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests tools bench fuzz -name '*.cpp' -o -name '*.h')
bad=$(clang-format --dry-run --Werror "${files[@]}" 2>&1 | grep -o '^[^:]*: error' | cut -d: -f1 | sort -u || true)
if [ -n "$bad" ]; then
  echo "not formatted (run clang-format -i on them):"
  echo "$bad"
  exit 1
fi
echo "${#files[@]} files formatted"
