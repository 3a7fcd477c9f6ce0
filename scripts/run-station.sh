#!/usr/bin/env bash
# Installs what is missing, builds, and starts the station on the simulated programmer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPROM_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)" --target promstation-sim promstation promtool
exec build/ui/promstation-sim "$@"
