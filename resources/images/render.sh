#!/usr/bin/env bash
# Renders every SVG of this folder to the PNG of the same name, at the size the SVG declares.
# The PNGs are committed; run this again after changing a drawing.
set -euo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")"
for svg in *.svg; do
    rsvg-convert --format=png --output="${svg%.svg}.png" "$svg"
done
