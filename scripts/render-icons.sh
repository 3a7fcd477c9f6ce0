#!/usr/bin/env bash
# Renders the station icon from its SVG into the PNG sizes the desktop's icon theme and the
# window use. The PNGs are kept in the repository, so building never needs the renderer; run
# this after changing packaging/icons/promstation.svg (needs rsvg-convert, package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
svg=packaging/icons/promstation.svg
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "packaging/icons/hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "packaging/icons/hicolor/${size}x${size}/apps/promstation.png"
done
for size in 16 32 48 256; do
  cp "packaging/icons/hicolor/${size}x${size}/apps/promstation.png" "ui/icons/station-${size}.png"
done
