#!/usr/bin/env bash
# Takes the README's picture of the SQL Preview window, docs/sql-preview.png, on a virtual
# X server (Xvfb), from a build in ./build (or the folder given as $1).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target preview_screenshot
mkdir -p docs
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/preview_screenshot" docs/sql-preview.png
echo "wrote docs/sql-preview.png"
