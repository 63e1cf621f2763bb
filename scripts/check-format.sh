#!/usr/bin/env bash
# Fails, naming the files, when a C++ source differs from the project's
# .clang-format. Fix with: clang-format -i <files>
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
bad=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    bad+=("$f")
  fi
done
if ((${#bad[@]})); then
  echo "These files differ from .clang-format (clang-format -i fixes them):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
echo "format: ${#files[@]} files follow .clang-format"
