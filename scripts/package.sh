#!/usr/bin/env bash
# Builds the Release tree in build/ and makes the Debian package build/quoteforge_<version>_amd64.deb:
# both programs, the desktop entry, icons, manual pages, licence and documentation. Its dependencies
# come from the shared libraries the programs link (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in dpkg-shlibdeps help2man; do
  command -v "$tool" >/dev/null || { echo "package.sh needs $tool: run scripts/setup.sh" >&2; exit 1; }
done
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOTEFORGE_GUI=ON
cmake --build build
rm -f build/quoteforge_*.deb
(cd build && cpack -G DEB)
ls build/quoteforge_*.deb
