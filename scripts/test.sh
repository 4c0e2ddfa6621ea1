#!/usr/bin/env bash
# Set-up and tests in one command on a fresh Debian 12 machine: installs the packages, builds
# and runs the test suite, runs the demo headless for a few frames, builds and runs the suite
# again under AddressSanitizer and UBSan, then runs each fuzz target for a short bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
# Compiler cache: paths are taken relative to the clone, so another clone on the same machine
# (a CI run beside a work tree) reuses what was compiled before.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD"
  # The Linux builds and the two MinGW builds with debug information outgrow ccache's 5 GB default.
  export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
for preset in release sanitize; do
  echo "== ${preset} build =="
  cmake --preset "$preset" "${launcher[@]}" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== ${preset} tests =="
  ctest --preset "$preset" -j "$jobs"
  if [ "$preset" = release ]; then
    echo "== demo, headless =="
    build/release/tools/play/tamblet-play build/release/examples/demo/game --frames 60 --every 30 --out build/release/out
  fi
done

echo "== fuzz targets (clang, bounded) =="
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAMBLET_BUILD_BENCHMARKS=OFF -DTAMBLET_FUZZ_SECONDS=15 "${launcher[@]}" >/dev/null
cmake --build build/fuzz --target decoder_fuzz archive_fuzz font_library_fuzz char_sprite_load_fuzz -j "$jobs"
ctest --test-dir build/fuzz -L fuzz --output-on-failure
