#!/usr/bin/env bash
# Installs what building and running needs on a fresh Debian 12 machine, builds the
# program (without the tests), and opens its main window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
No display here. To see the window on a virtual screen (Xvfb):
    scripts/setup.sh --runtime && sudo apt-get install xvfb xauth
    scripts/build.sh build -DVELMORA_TESTS=OFF && xvfb-run -a build/bin/velmora
For conversions without any window, use the command-line converter:
    build/bin/velmora-convert --help     (scripts/sample.sh converts the sample this way)
TEXT
  exit 1
fi
scripts/setup.sh --runtime
scripts/build.sh build -DVELMORA_TESTS=OFF
exec build/bin/velmora
