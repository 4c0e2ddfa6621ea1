#!/usr/bin/env bash
# Runs the bundled demo headless and compares the SHA-256 of chosen frames and of the contact sheet
# (thumbnails averaged from them) with the stored ones.
#   check_demo_frames.sh <tamblet-play> <demo game folder> <stored checksums> [--update]
set -euo pipefail
player=$1 game=$2 stored=$3
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$player" "$game" --frames 600 --every 60 --out "$out" >/dev/null 2>&1
(cd "$out" && sha256sum frame_*.png contact_sheet.png) > "$out/checksums"
if [ "${4:-}" = "--update" ]; then
  cp "$out/checksums" "$stored"
  exit 0
fi
diff -u "$stored" "$out/checksums"
