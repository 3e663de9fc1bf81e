#!/usr/bin/env bash
# Installs what is missing, builds Korvalin and runs the whole test suite.
# Integration tests need root (network namespaces); as another user they skip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh default
ctest --preset default --timeout 600 "$@"
