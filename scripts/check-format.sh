#!/usr/bin/env bash
# Fails, naming the files, when a C++ source or header of the tree is not formatted as
# .clang-format says. Usage: scripts/check-format.sh
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/korvalin-format.$$; then
    echo "check-format: these files need clang-format -i:" >&2
    grep -o '^[^:]*' /tmp/korvalin-format.$$ | sort -u >&2
    rm -f /tmp/korvalin-format.$$
    exit 1
fi
rm -f /tmp/korvalin-format.$$
echo "check-format: every source is formatted"
