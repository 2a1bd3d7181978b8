#!/usr/bin/env bash
# Builds the Paradox SQL fuzz target with clang (libFuzzer, ASan, UBSan) into its own
# folder and runs it for a while (seconds as $1, default 25) from the seed statements.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-25}
mkdir -p build-fuzz
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  > build-fuzz/configure.log || { cat build-fuzz/configure.log; exit 1; }
cmake --build build-fuzz --target fuzz_paradox_sql -j2 > build-fuzz/build.log || { cat build-fuzz/build.log; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/paradox/fuzz/seeds/* "$work"/
./build-fuzz/bin/fuzz_paradox_sql -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$work"
