#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build, the Debian package made
# from it and checked unpacked, the Windows build under Wine (when Wine is installed), the build with
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
jobs=$(nproc)

echo "== Build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUOTEFORGE_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Debian package, unpacked and checked"
scripts/package.sh
tests/package/check_package.sh

if command -v wine >/dev/null && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  echo "== Windows build of quoteforge-cli and its tests under Wine"
  scripts/windows.sh
fi

echo "== Build and tests with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOTEFORGE_WERROR=ON \
  -DQUOTEFORGE_SANITIZE=ON -DQUOTEFORGE_BENCH=OFF
cmake --build build-sanitize
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j "$jobs"

echo "== Fuzz targets, a few seconds each"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DQUOTEFORGE_FUZZ=ON
cmake --build build-fuzz
ctest --test-dir build-fuzz --output-on-failure

echo "All tests passed."
