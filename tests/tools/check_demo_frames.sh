#!/usr/bin/env bash
# Runs the bundled demo headless and compares the SHA-256 of chosen frames and of the contact sheet
# (thumbnails averaged from them) with the stored ones.
#   check_demo_frames.sh <tamblet-play> <demo game folder> <stored checksums> [--update]
# TAMBLET_PLAY_FLAGS adds player options (--full-redraw: the same frames without dirty regions).
# TAMBLET_PLAY_EMULATOR runs the player through a program, e.g. "bash scripts/wine-run.sh" for the
# Windows player.
set -euo pipefail
player=$1 game=$2 stored=$3
read -r -a emulator <<< "${TAMBLET_PLAY_EMULATOR:-}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"${emulator[@]}" "$player" "$game" --frames 600 --every 60 --out "$out" ${TAMBLET_PLAY_FLAGS:-} >/dev/null 2>&1
(cd "$out" && sha256sum frame_*.png contact_sheet.png) > "$out/checksums"
if [ "${4:-}" = "--update" ]; then
  cp "$out/checksums" "$stored"
  exit 0
fi
diff -u "$stored" "$out/checksums"
