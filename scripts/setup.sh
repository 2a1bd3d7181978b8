#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, test and run.
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config git
  qt6-base-dev libgl-dev
  mdbtools-dev mdbtools libglib2.0-dev
  libssl-dev
  libgtest-dev
  pxlib-dev
  clang libclang-rt-14-dev
  xvfb xauth xdg-utils fonts-liberation2
  xz-utils
)
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${packages[@]}"
# The Debian package (scripts/package.sh): dpkg-shlibdeps and file for CPack, lintian to check it.
$sudo apt-get install -y --no-install-recommends dpkg-dev file lintian
