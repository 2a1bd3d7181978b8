#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds, and opens the program's main window.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'TEXT'
No display here. To see the window on a virtual screen:
    scripts/setup.sh && scripts/build.sh build && xvfb-run -a build/bin/velmora
For conversions without any window, use the command-line converter:
    build/bin/velmora-convert --help     (scripts/sample.sh converts the sample this way)
TEXT
  exit 1
fi
scripts/setup.sh
scripts/build.sh build
exec build/bin/velmora
