#!/usr/bin/env bash
# Builds the engine with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh asan
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset asan --timeout 600 "$@"
