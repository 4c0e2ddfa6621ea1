#!/usr/bin/env bash
# Set-up and tests in one command on a fresh Debian 12 machine: installs the packages, builds
# and runs the test suite, then builds and runs it again under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
for preset in release sanitize; do
  echo "== ${preset} build =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== ${preset} tests =="
  ctest --preset "$preset" -j "$jobs"
done
