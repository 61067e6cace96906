#!/usr/bin/env bash
# Installs the Debian 12 packages that building, testing and benchmarking Quoteforge need, when missing.
# With --programs only those that building the two programs needs (the quick start); configuring the
# tree looks for GoogleTest even when no test is built.
set -euo pipefail

programs=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libgl-dev libcli11-dev
  libgtest-dev libgmock-dev
)
packages=(
  "${programs[@]}"
  libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth time python3 strace
  dpkg-dev help2man lintian desktop-file-utils appstream bash-completion zip
  g++-mingw-w64-x86-64-posix wine wine64 xdotool openbox imagemagick
)

if [ "${1:-}" = --programs ]; then
  packages=("${programs[@]}")
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
