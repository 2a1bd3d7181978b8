#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build -DVELMORA_TESTS=ON
# Windows are tested on Qt's offscreen platform.
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure -j2
