#!/usr/bin/env bash
# Builds the engine with AddressSanitizer and UndefinedBehaviorSanitizer and runs its tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# CI (CI=true) fails the build on any warning of ours; elsewhere warnings only warn.
werror=OFF
if [[ "${CI:-}" == "true" ]]; then
    werror=ON
fi
scripts/build.sh asan -DKORVALIN_WARNINGS_AS_ERRORS="$werror"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset asan --timeout 600 "$@"
