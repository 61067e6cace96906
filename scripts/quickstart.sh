#!/usr/bin/env bash
# Installs what is missing, builds the two programs (quoteforge-cli and the desktop application
# quoteforge; no tests, no benchmarks), and converts the bundled sample into a fresh MetaStock
# directory (build/sample-output), printing the security it made.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --programs
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
targets=(quoteforge-cli)
if grep -q '^QUOTEFORGE_GUI:BOOL=ON' build/CMakeCache.txt; then
  targets+=(quoteforge)
fi
cmake --build build --target "${targets[@]}"

output=build/sample-output
rm -rf "$output"
mkdir -p "$output"
build/cli/quoteforge-cli convert samples/prices.csv --dir "$output" --symbol QFDEMO --name "Quoteforge Demo" \
  --date-format MM_DD_CCYY --skip 1 --master new
echo "Written to $output:"
ls -l "$output"
