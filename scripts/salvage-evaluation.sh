#!/usr/bin/env bash
# Attacks the Access provider with seeded mutants of 16 corpus files and compares what it
# reads with the originals and with mdbtools (bench/access/SalvageEvaluation.cpp says how):
#   scripts/salvage-evaluation.sh [mutants per file, default 190] [first seed, default 1]
# Not part of CI: 3,000 mutants take about an hour on a shared two-core machine. Uses the
# build in build/ (the sanitizer build, build-asan/, when VELMORA_SANITIZED=1).
set -euo pipefail
cd "$(dirname "$0")/.."
mutants=${1:-190}
seed=${2:-1}
build=build
[ "${VELMORA_SANITIZED:-0}" = 1 ] && build=build-asan
cmake --build "$build" --target access_salvage_evaluation velmora-access -j2 > /dev/null
exec "$build"/bin/access_salvage_evaluation --mutants "$mutants" --seed "$seed" ${VELMORA_EVALUATION_FLAGS:-} \
  generated/alltypes_2k_v2000.mdb \
  generated/alltypes_2k_v2007.accdb \
  generated/alltypes_2k_v2016.accdb \
  generated/alltypes_500_v2019.accdb \
  generated/edge_v2000.mdb \
  generated/edge_v2010.accdb \
  generated/names_50tables_v2010.accdb \
  jackcess/src/test/data/V1997/testV1997.mdb \
  jackcess/src/test/data/V1997/overflowTestV1997.mdb \
  jackcess/src/test/data/V2000/testV2000.mdb \
  jackcess/src/test/data/V2003/overflowTestV2003.mdb \
  jackcess/src/test/data/V2003/delColTestV2003.mdb \
  jackcess/src/test/data/V2010/calcFieldTestV2010.accdb \
  mdbtestdata/data/nwind.mdb \
  mdbtestdata/data/ASampleDatabase.accdb \
  mdbtestdata/data/DateTestDatabase.mdb
