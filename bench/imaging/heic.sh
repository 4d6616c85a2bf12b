#!/usr/bin/env bash
# HEIC preparation benchmark: `uploadpic-cli prepare` of one 48-megapixel photo stored as a HEIC grid
# of 512x512 tiles (as phones and cameras store large photos; 8-bit, and 10-bit with a quarter turn)
# beside the same photo as a baseline and as a progressive JPEG, and beside libheif's own
# heif-convert turning the 10-bit grid into a JPEG. Prints a Markdown table of median wall times and
# peak memory (largest run).
#
# Usage: bench/imaging/heic.sh BIN-DIR [RUNS]   (BIN-DIR holds uploadpic-cli and make_heic_grid)
# Run it alone on the machine (e.g. under the build lock): other load skews the times.
set -euo pipefail

bin=$(cd "$1" && pwd)
runs=${2:-3}
size=${PHOTO_SIZE:-8000x6000}
im=$(command -v convert-im6.q16 || command -v convert)
for tool in "$bin/uploadpic-cli" "$bin/make_heic_grid" heif-convert "$im" /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir app

"$im" -seed 1 -size "$size" plasma:fractal -quality 95 baseline.jpg
"$im" baseline.jpg -interlace Plane -quality 95 progressive.jpg
"$bin/make_heic_grid" baseline.jpg grid8.heic 8
"$bin/make_heic_grid" baseline.jpg grid10.heic 10 1

# name command...: one run; seconds to $name.times, peak KB to $name.kb.
timed() {
  local name=$1 t0 t1
  shift
  t0=$EPOCHREALTIME
  /usr/bin/time -f %M -a -o "$name.kb" "$@" >/dev/null 2>&1
  t1=$EPOCHREALTIME
  echo "$t0 $t1" | awk '{printf "%.3f\n", $2 - $1}' >>"$name.times"
}
median() { sort -g "$1" | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

rows=("prepare baseline JPEG:baseline.jpg" "prepare progressive JPEG:progressive.jpg"
      "prepare HEIC grid 8-bit:grid8.heic" "prepare HEIC grid 10-bit turned:grid10.heic")
for ((i = 0; i < runs; i++)); do
  for row in "${rows[@]}"; do
    timed "${row%%:*}" "$bin/uploadpic-cli" prepare "${row#*:}" --dir app
  done
  timed "heif-convert HEIC grid 10-bit turned" heif-convert grid10.heic converted.jpg
done

echo "Photo: $size; HEIC grids of 512x512 tiles; $runs runs."
echo
echo "| run | median s | peak RSS MB |"
echo "|---|---|---|"
for name in "${rows[@]%%:*}" "heif-convert HEIC grid 10-bit turned"; do
  echo "| $name | $(median "$name.times") | $(sort -g "$name.kb" | tail -n 1 | awk '{printf "%.1f", $1 / 1024}') |"
done
