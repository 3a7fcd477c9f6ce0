#!/usr/bin/env bash
# Whole-process conversion of a 2 MiB random image, MCS to binary and binary to MCS: promtool
# against objcopy and srec_cat doing the same, side by side in one run. Each conversion is timed
# twice: writing a new output file, and replacing the file the run before wrote (which costs
# more on file systems such as ext4, which write out a file renamed over another at once).
# Usage: [TMPDIR=FOLDER] bench/convert_vs_peers.sh [BUILD_DIR] [RUNS]   (the files live in TMPDIR)
set -euo pipefail
build=${1:-build}
runs=${2:-5}
promtool="$build/cli/promtool"
timer="$build/bench/process_timer"
[ -x "$promtool" ] && [ -x "$timer" ] || { echo "build $promtool and $timer first (PROM_BUILD_BENCH=ON)" >&2; exit 2; }
command -v objcopy >/dev/null && command -v srec_cat >/dev/null || { echo "needs objcopy and srec_cat" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 2097152 /dev/urandom > "$work/image.bin"
srec_cat "$work/image.bin" -binary -o "$work/image.mcs" -intel -line-length=44 2>/dev/null

# Best wall time of $runs runs in milliseconds, each process started directly (no shell).
# With $new_output set, the output file ($1) is removed before each run, untimed.
best_ms() {
  local output=$1
  shift
  if [ -n "$new_output" ]; then "$timer" --fresh "$output" "$runs" "$@"; else "$timer" "$runs" "$@"; fi
}

row() {  # label, promtool ms, objcopy ms, srec_cat ms
  awk -v l="$1" -v p="$2" -v o="$3" -v s="$4" 'BEGIN {
    printf "| %s | %.1f ms | %.1f ms (%.1fx) | %.1f ms (%.1fx) |\n", l, p, o, o / p, s, s / p }'
}

mcs_to_binary() {
  local p o s
  p=$(best_ms "$work/p.bin" "$promtool" convert "$work/image.mcs" "$work/p.bin" --size 2097152)
  o=$(best_ms "$work/o.bin" objcopy -I ihex -O binary "$work/image.mcs" "$work/o.bin")
  s=$(best_ms "$work/s.bin" srec_cat "$work/image.mcs" -intel -o "$work/s.bin" -binary)
  cmp -s "$work/p.bin" "$work/image.bin" || { echo "promtool's binary differs from the image" >&2; exit 1; }
  row "MCS to binary, $1" "$p" "$o" "$s"
}

binary_to_mcs() {
  local p o s
  p=$(best_ms "$work/p.mcs" "$promtool" convert "$work/image.bin" "$work/p.mcs" --size 2097152)
  o=$(best_ms "$work/o.hex" objcopy -I binary -O ihex "$work/image.bin" "$work/o.hex")
  s=$(best_ms "$work/s.mcs" srec_cat "$work/image.bin" -binary -o "$work/s.mcs" -intel)
  row "binary to MCS, $1" "$p" "$o" "$s"
}

echo "| 2 MiB conversion (best of $runs) | promtool | objcopy (promtool faster by) | srec_cat (promtool faster by) |"
echo "|---|---|---|---|"
new_output=yes
mcs_to_binary "new output"
binary_to_mcs "new output"
new_output=
mcs_to_binary "output replaced"
binary_to_mcs "output replaced"
