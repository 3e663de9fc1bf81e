#!/usr/bin/env bash
# Installs what is missing, builds Korvalin and runs the whole test suite.
# Integration tests need root (network namespaces); as another user they skip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# CI (CI=true) fails the build on any warning of ours; elsewhere warnings only warn.
werror=OFF
if [[ "${CI:-}" == "true" ]]; then
    werror=ON
fi
scripts/build.sh default -DKORVALIN_WARNINGS_AS_ERRORS="$werror"
ctest --preset default --timeout 600 "$@"
