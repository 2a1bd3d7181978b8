#!/usr/bin/env bash
# Builds a fuzz target with clang (libFuzzer, ASan, UBSan) into its own folder and runs it
# for a while: scripts/fuzz.sh paradox|crypto-header [seconds, default 25].
#   paradox        the Paradox SQL parser and driver, from the seed statements
#   crypto-header  the encryption header parser of encrypted .accdb files
set -euo pipefail
cd "$(dirname "$0")/.."
which=${1:?usage: scripts/fuzz.sh paradox|crypto-header [seconds]}
seconds=${2:-25}
case "$which" in
  paradox) target=fuzz_paradox_sql; seeds=tests/paradox/fuzz/seeds; max_len=4096 ;;
  crypto-header) target=crypto_header_fuzzer; seeds=; max_len=8192 ;;
  *) echo "unknown fuzz target: $which" >&2; exit 2 ;;
esac
mkdir -p build-fuzz
# -O1 with line tables, as fuzzing builds usually are: quick to build, still quick to run.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
  > build-fuzz/configure.log || { cat build-fuzz/configure.log; exit 1; }
cmake --build build-fuzz --target "$target" -j2 > build-fuzz/build.log || { cat build-fuzz/build.log; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -n "$seeds" ] && cp "$seeds"/* "$work"/
./build-fuzz/bin/"$target" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 "$work"
