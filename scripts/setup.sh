#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, only those that are missing.
#   scripts/setup.sh --runtime   what building and running the program needs (run.sh, sample.sh)
#   scripts/setup.sh             that, and what developers need: tests, benchmarks, fuzzing,
#                                screenshots, formatting and the Debian package
# apt waits for another apt or dpkg (an unattended upgrade, say) instead of failing.
set -euo pipefail
runtime=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  mdbtools-dev libglib2.0-dev
  libssl-dev
  fonts-liberation2 xdg-utils
)
developer=(
  git clang-format
  libgtest-dev pxlib-dev mdbtools xz-utils jq
  clang libclang-rt-14-dev
  xvfb xauth
  dpkg-dev file lintian
)
case "${1:-}" in
  --runtime) packages=("${runtime[@]}") ;;
  "") packages=("${runtime[@]}" "${developer[@]}") ;;
  *) echo "usage: scripts/setup.sh [--runtime]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

apt_get=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
[ "$(id -u)" -eq 0 ] || apt_get=(sudo "${apt_get[@]}")
# dpkg's lock is waited for by apt itself; the package lists' lock (apt-get update) is not,
# so that step is tried again while another process holds it.
for attempt in $(seq 60); do
  if errors=$("${apt_get[@]}" update 2>&1 >/dev/null); then break; fi
  if ! grep -q "Could not get lock" <<<"$errors" || [ "$attempt" -eq 60 ]; then
    echo "$errors" >&2
    exit 1
  fi
  [ "$attempt" -eq 1 ] && echo "Waiting for another package manager to finish..." >&2
  sleep 10
done
"${apt_get[@]}" install -y --no-install-recommends "${missing[@]}"
