#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine: installs the packages, builds the engine, the
# reference host, the player and the bundled demo, and runs the demo headless, writing frames
# and a contact sheet to out/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target tamblet-play tamblet_demo
build/release/tools/play/tamblet-play build/release/examples/demo/game --frames 600 --every 30 --out out "$@"
