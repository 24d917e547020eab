#!/usr/bin/env bash
# Renders the icon's pictures from its drawing, packaging/io.github.corvalen.Corvalen.svg, into
# packaging/icons/<size>x<size>/. Run it after changing the drawing and commit the pictures with it.
set -euo pipefail
cd "$(dirname "$0")/.."
id=io.github.corvalen.Corvalen
for size in 128 256; do
    mkdir -p "packaging/icons/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" "packaging/$id.svg" -o "packaging/icons/${size}x${size}/$id.png"
done
