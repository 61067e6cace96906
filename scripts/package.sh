#!/usr/bin/env bash
# Builds, in the Release tree build/, only what the Debian packages hold, and makes them:
#   build/quoteforge-cli_<version>_amd64.deb  the command-line converter (no Qt)
#   build/quoteforge_<version>_amd64.deb      the desktop application (depends on the first)
# Their dependencies come from the shared libraries the programs link (dpkg-shlibdeps).
set -euo pipefail
cd "$(dirname "$0")/.."

for tool in dpkg-shlibdeps help2man; do
  command -v "$tool" >/dev/null || { echo "package.sh needs $tool: run scripts/setup.sh" >&2; exit 1; }
done
# Installing (which cpack does) then builds nothing beyond the targets built here.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOTEFORGE_GUI=ON -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build build --target quoteforge quoteforge-cli package_files
rm -f build/quoteforge_*.deb build/quoteforge-cli_*.deb
(cd build && cpack -G DEB)
ls build/quoteforge_*.deb build/quoteforge-cli_*.deb
