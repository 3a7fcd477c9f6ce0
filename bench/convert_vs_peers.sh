#!/usr/bin/env bash
# Whole-process conversion of a 2 MiB random image, MCS to binary and binary to MCS: promtool
# against objcopy and srec_cat doing the same, side by side in one run.
# Usage: bench/convert_vs_peers.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build}
runs=${2:-5}
promtool="$build/cli/promtool"
[ -x "$promtool" ] || { echo "build $promtool first" >&2; exit 2; }
command -v objcopy >/dev/null && command -v srec_cat >/dev/null || { echo "needs objcopy and srec_cat" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 2097152 /dev/urandom > "$work/image.bin"
srec_cat "$work/image.bin" -binary -o "$work/image.mcs" -intel -line-length=44 2>/dev/null

# Best wall time of $runs runs, in milliseconds.
best_ms() {
  local best=""
  for _ in $(seq "$runs"); do
    local start end ms
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

row() {  # label, promtool ms, objcopy ms, srec_cat ms
  awk -v l="$1" -v p="$2" -v o="$3" -v s="$4" 'BEGIN {
    if (p < 1) p = 1
    printf "| %s | %d ms | %d ms (%.1fx) | %d ms (%.1fx) |\n", l, p, o, o / p, s, s / p }'
}

p1=$(best_ms "$promtool" convert "$work/image.mcs" "$work/p.bin" --size 2097152)
o1=$(best_ms objcopy -I ihex -O binary "$work/image.mcs" "$work/o.bin")
s1=$(best_ms srec_cat "$work/image.mcs" -intel -o "$work/s.bin" -binary)
p2=$(best_ms "$promtool" convert "$work/image.bin" "$work/p.mcs" --size 2097152)
o2=$(best_ms objcopy -I binary -O ihex "$work/image.bin" "$work/o.hex")
s2=$(best_ms srec_cat "$work/image.bin" -binary -o "$work/s.mcs" -intel)

cmp -s "$work/p.bin" "$work/image.bin" || { echo "promtool's binary differs from the image" >&2; exit 1; }
echo "| 2 MiB conversion (best of $runs) | promtool | objcopy (promtool faster by) | srec_cat (promtool faster by) |"
echo "|---|---|---|---|"
row "MCS to binary" "$p1" "$o1" "$s1"
row "binary to MCS" "$p2" "$o2" "$s2"
