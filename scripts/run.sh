#!/usr/bin/env bash
# Installs what is missing, builds Korvalin and starts it; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --runtime
scripts/build.sh release
exec build-release/src/korvalin "$@"
