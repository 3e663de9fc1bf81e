#!/usr/bin/env bash
# Builds the SNMP decoder's fuzzer with clang-14 in build-fuzz/ and fuzzes it for a
# bounded time, seeded from fuzz/corpus/ (left untouched). Fails on any finding; the
# crashing input is kept in build-fuzz/findings/.
#
# Usage: fuzz/run.sh [SECONDS]   (default 120)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-120}"
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DKORVALIN_FUZZ=ON -DKORVALIN_BUILD_GUI=OFF \
    -DKORVALIN_BUILD_TESTS=OFF -DKORVALIN_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build" --target snmp_decode_fuzz

work="$build/fuzz-corpus"
findings="$build/findings"
mkdir -p "$work" "$findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# New inputs go to the working corpus; the committed seeds are only read.
"$build/fuzz/snmp_decode_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$work" fuzz/corpus
