#!/usr/bin/env bash
# Takes the review screenshots of the station without a display: promstation-sim runs under
# Xvfb on a 1920x1080 screen with fresh settings (a blank XC17V16 in the simulated socket) and
# saves PNG pictures of the main window right after start, during and after identifying the
# XC17V16, of the About box, the PROM information, the three option prompts and the abort
# message, the simulated programmer's window, and, once a part programmed from a small image was
# read, of the main window, the buffer section chooser and the buffer viewer. The two the README
# shows, the main window after the read and the simulated programmer's window, are copied into
# docs/screenshots/ in the repository.
#
#   scripts/screenshots.sh [folder (default: screenshots)] [build folder (default: build)]
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$(realpath -m "${1:-screenshots}")
build=${2:-build}

if [ ! -x "$build/ui/promstation-sim" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" -j2 --target promstation-sim
fi

config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$folder"

XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=xcb PROMSTATION_SIM_SCREENSHOTS="$folder" \
  timeout 300 xvfb-run -a -s "-screen 0 1920x1080x24" "$build/ui/promstation-sim"

for picture in main-window-start main-window-busy main-window-identified about-box prom-information \
  reset-prompt busy-prompt output-prompt programming-aborted simulated-programmer main-window-read \
  buffer-section buffer-viewer; do
  if [ ! -s "$folder/$picture.png" ]; then
    echo "missing: $folder/$picture.png" >&2
    exit 1
  fi
  echo "$folder/$picture.png"
done

readme_pictures=$(realpath -m docs/screenshots)
mkdir -p "$readme_pictures"
for picture in main-window-read simulated-programmer; do
  if [ "$folder" != "$readme_pictures" ]; then
    cp "$folder/$picture.png" "$readme_pictures/"
  fi
  echo "$readme_pictures/$picture.png"
done
