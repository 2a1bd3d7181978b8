#!/usr/bin/env bash
# Builds the Debian package velmora_<version>_<arch>.deb in the build folder ($1, default
# ./build) with CPack, dpkg-shlibdeps computing its dependencies, and checks it with
# lintian when lintian is installed: any tag, pedantic ones too, fails unless the package
# overrides it with its reason (packaging/lintian-overrides). Prints the package's path last.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
# The installed layout: the program and its provider module in /usr/lib/velmora.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_GUI=ON \
  -DCMAKE_INSTALL_LIBDIR=lib "$@"
cmake --build "$build"
rm -f "$build"/velmora_*.deb
(cd "$build" && cpack -G DEB)
package=$(ls "$build"/velmora_*.deb)
if command -v lintian >/dev/null; then
  lintian --pedantic --fail-on error,warning,info,pedantic "$package"
fi
echo "$package"
