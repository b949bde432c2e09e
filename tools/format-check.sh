#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format (the repository's .clang-format) makes of it.
# Fix with: clang-format -i $(git ls-files '*.cpp' '*.h')
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/corvex-format-check.txt; then
  grep -E '^[^ ].*: (error|warning):' /tmp/corvex-format-check.txt | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  exit 1
fi
echo "format check: ${#files[@]} files formatted"
