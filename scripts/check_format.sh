#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file is not formatted as .clang-format says.
# Fix them with: clang-format -i FILE...
#   scripts/check_format.sh
#   CLANG_FORMAT=PROGRAM chooses the formatter (default clang-format).
set -euo pipefail
cd "$(dirname "$0")/.."
formatter=${CLANG_FORMAT:-clang-format}

if ! command -v "$formatter" >/dev/null; then
    echo "$formatter is not installed (scripts/setup.sh installs it)." >&2
    exit 1
fi

unformatted=()
while IFS= read -r -d '' file; do
    if ! "$formatter" --dry-run --Werror "$file" >/dev/null 2>&1; then
        unformatted+=("$file")
    fi
done < <(git ls-files -z -- '*.cpp' '*.h')

if [ ${#unformatted[@]} -gt 0 ]; then
    echo "Not formatted ($("$formatter" --version)):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "Fix with: $formatter -i FILE..." >&2
    exit 1
fi
