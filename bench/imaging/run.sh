#!/usr/bin/env bash
# Photo preparation benchmark: `uploadpic-cli prepare` (shrink by file size at Q80, then reduce to
# 640x480 at Q90) against the same two steps done by libvips (vipsthumbnail) and by ImageMagick
# (convert -resize), on one 24-megapixel Q95 photo (PHOTO_SIZE=WxH for another size). Prints a Markdown table with the median wall
# time, the peak memory of the heaviest step and the PSNR of each small version against
# ImageMagick's Triangle-filtered resize of the source.
#
# Usage: bench/imaging/run.sh [PATH/TO/uploadpic-cli] [RUNS]
# Run it alone on the machine (e.g. under the build lock): other load skews the times.
set -euo pipefail

cli=${1:-$(dirname "$0")/../../build/bin/uploadpic-cli}
runs=${2:-5}
size=${PHOTO_SIZE:-6000x4000}
# The plain ImageMagick binary, not a wrapper that may stand in front of it.
im=$(command -v convert-im6.q16 || command -v convert)
compare=$(command -v compare-im6.q16 || command -v compare)
for tool in "$cli" vipsthumbnail "$im" "$compare" /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir app

"$im" -seed 1 -size "$size" plasma:fractal -quality 95 photo.jpg
photo_bytes=$(stat -c %s photo.jpg)

# The sizes the preparation rules give this photo; the peers are asked for exactly the same.
read -r _ _ src_size _ < <("$cli" prepare photo.jpg --dir app | grep '^source')
read -r _ _ small_size _ < <("$cli" prepare photo.jpg --dir app | grep '^small')

# Each chain writes src.jpg and small.jpg in the folder it is given.
chain_prepare() {
  "$cli" prepare photo.jpg --dir app >/dev/null && cp app/ZoomPhoto.jpg "$1/small.jpg"
}
chain_vips() {
  vipsthumbnail photo.jpg --size "${src_size}!" -o "$1/src.jpg[Q=80]"
  vipsthumbnail "$1/src.jpg" --size "${small_size}!" -o "$1/small.jpg[Q=90]"
}
chain_magick() {
  "$im" photo.jpg -resize "${src_size}!" -quality 80 "$1/src.jpg"
  "$im" "$1/src.jpg" -resize "${small_size}!" -quality 90 "$1/small.jpg"
}

# Seconds of one chain run; its peak resident memory (KB, largest step) is appended to $1.mem.
timed() {
  local name=$1 out=$PWD/$1.out t0 t1
  mkdir -p "$out"
  t0=$EPOCHREALTIME
  /usr/bin/time -f %M -a -o "$name.steps" bash -c "$(declare -f "chain_$name"); chain_$name $out" >/dev/null
  t1=$EPOCHREALTIME
  echo "$t0 $t1" | awk '{printf "%.3f\n", $2 - $1}' >>"$name.times"
}

tools=(prepare vips magick)
export cli im src_size small_size
for ((i = 0; i < runs; i++)); do
  for name in "${tools[@]}"; do timed "$name"; done
done

median() { sort -g "$1" | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
maxkb() { sort -g "$1" | tail -n 1; }

"$im" photo.jpg -filter Triangle -resize "${small_size}!" ref.png
psnr() { "$compare" -metric PSNR "$1" ref.png null: 2>&1 | awk '{print $1}'; }

base=$(median prepare.times)
echo "Photo: $size, $photo_bytes bytes, Q95; source version $src_size (Q80), small version $small_size (Q90); $runs runs."
echo
echo "| chain | median s | ratio prepare/peer | peak RSS MB | PSNR small vs Triangle dB |"
echo "|---|---|---|---|---|"
for name in "${tools[@]}"; do
  t=$(median "$name.times")
  ratio=$(awk -v a="$base" -v b="$t" 'BEGIN {printf "%.2f", a / b}')
  mem=$(awk -v k="$(maxkb "$name.steps")" 'BEGIN {printf "%.1f", k / 1024}')
  echo "| $name | $t | $ratio | $mem | $(psnr "$PWD/$name.out/small.jpg") |"
done
