#!/usr/bin/env bash
# Configures and builds Korvalin with a CMake preset (default: "default"); further
# arguments go to the configure step, e.g. -DKORVALIN_WARNINGS_AS_ERRORS=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
cmake --preset "$preset" "${@:2}" >/dev/null
cmake --build --preset "$preset" --parallel "$(nproc)"
