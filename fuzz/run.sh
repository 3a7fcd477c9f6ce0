#!/bin/sh
# Builds the record reader fuzz targets into BUILD_DIR and runs each for a bounded time.
# The checked-in seeds are read only; new inputs go to BUILD_DIR/corpus/<reader>.
# usage: fuzz/run.sh BUILD_DIR [SECONDS [RUNS]]
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS [RUNS]]}
seconds=${2:-20}
runs=${3:-5000000}

command -v clang++-14 >/dev/null || { echo "run.sh: clang++-14 is needed for the fuzz targets" >&2; exit 1; }
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j2

for reader in intel_hex srecord; do
  mkdir -p "$build/corpus/$reader" "$build/findings"
  echo "== fuzz_$reader: up to $seconds s, $runs runs"
  "$build/fuzz_$reader" "$build/corpus/$reader" "$here/corpus/$reader" \
    -dict="$here/$reader.dict" -max_total_time="$seconds" -runs="$runs" \
    -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$reader-"
done
