#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."

format=$(command -v clang-format-16 || true)
if [[ -z "$format" ]]; then
    echo "clang-format-16 is missing" >&2
    exit 1
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h' && git ls-files --others --exclude-standard '*.cpp' '*.h')
if ((${#files[@]} == 0)); then
    exit 0
fi
"$format" --dry-run --Werror "${files[@]}"
echo "formatting: ${#files[@]} files clean"
