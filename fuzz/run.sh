#!/bin/sh
# Builds the fuzz targets into BUILD_DIR and runs each for a bounded time or number of runs.
# The checked-in seeds are read only; new inputs go to BUILD_DIR/corpus/<target>.
# usage: fuzz/run.sh BUILD_DIR [SECONDS [RUNS]]
#   fuzz/run.sh build-fuzz 0 10000000    ten million runs of each target, however long it takes
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS [RUNS]]}
seconds=${2:-20}
runs=${3:-5000000}

# The chip file and settings targets write a file for every input: a memory file system is
# several times faster than a disk.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then
  export TMPDIR=/dev/shm
fi

command -v clang++-14 >/dev/null || { echo "run.sh: clang++-14 is needed for the fuzz targets" >&2; exit 1; }
cmake -S "$here" -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build" -j2

for target in intel_hex srecord chip_file settings_file; do
  mkdir -p "$build/corpus/$target" "$build/findings"
  dict=""
  [ -f "$here/$target.dict" ] && dict="-dict=$here/$target.dict"
  echo "== fuzz_$target: up to $seconds s (0: no limit), $runs runs"
  # shellcheck disable=SC2086
  "$build/fuzz_$target" "$build/corpus/$target" "$here/corpus/$target" $dict \
    -max_total_time="$seconds" -runs="$runs" \
    -max_len=4096 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$target-"
done
