#!/usr/bin/env bash
# Renders the application icon to the PNG sizes of the hicolor theme, as
# hicolor/SIZExSIZE/apps/<icon>.png. The PNGs are committed; run this again after changing the drawing.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"
for svg in *.svg; do
    for size in 16 24 32 48 64 128 256; do
        mkdir -p "hicolor/${size}x${size}/apps"
        rsvg-convert --format=png --width="$size" --height="$size" \
            --output="hicolor/${size}x${size}/apps/${svg%.svg}.png" "$svg"
    done
done
