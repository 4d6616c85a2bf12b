#!/usr/bin/env bash
# Adding a photo benchmark: `uploadpic-cli add` of one 24-megapixel Q95 photo to a company on a
# running photo-service, against the peer chain doing the same: vipsthumbnail making the same two
# versions (shrunk by file size at Q80, reduced to the company's limits at Q90), then a Python
# zeep client logging in, querying the company, listing its photos and sending both with the add
# operation (bench/peers/zeep_add.py). The added photo is deleted after every run, outside the
# measurement. Prints a Markdown table of the median wall time and the median peak memory (of the
# heaviest process of a chain).
#
# Usage: bench/add/run.sh PATH/TO/uploadpic-cli PORT [RUNS]
# The service on 127.0.0.1:PORT must hold the demo data (photo-service seeds it, as does
# bench_seed): the add goes to its company without photos, 4403050067890 (limits 1024 x 768).
# Run it alone on the machine (e.g. under the build lock): other load skews the times.
set -euo pipefail

cli=$(realpath "$1")
port=$2
runs=${3:-5}
company=4403050067890
customer=KH440305006
type=01
peers=$(cd "$(dirname "$0")/../peers" && pwd)
im=$(command -v convert-im6.q16 || command -v convert)
for tool in "$cli" vipsthumbnail "$im" /usr/bin/time /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
export UPLOADPIC_USER=${UPLOADPIC_USER:-demo} UPLOADPIC_PASSWORD=${UPLOADPIC_PASSWORD:-demo123}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir app

"$im" -seed 1 -size 6000x4000 plasma:fractal -quality 95 photo.jpg

# The sizes our preparation gives this photo with the company's limits; the peer makes the same.
prepared=$(UPLOADPIC_APP_DIR=app "$cli" prepare photo.jpg --dir app --max-width 1024 --max-height 768)
src_size=$(awk '$1 == "source" {print $3}' <<<"$prepared")
small_size=$(awk '$1 == "small" {print $3}' <<<"$prepared")
photo_id=W$customer$(date +%Y%m%d)$type

chain_add() {
  UPLOADPIC_APP_DIR=$PWD/app "$cli" --server "127.0.0.1:$port" add "$company" photo.jpg "$type" "基准照片"
}
chain_peer() {
  vipsthumbnail photo.jpg --size "${src_size}!" -o "$PWD/peer-src.jpg[Q=80]"
  vipsthumbnail peer-src.jpg --size "${small_size}!" -o "$PWD/peer-small.jpg[Q=90]"
  /usr/bin/python3 "$peers/zeep_add.py" "$port" "$company" "$type" "基准照片" peer-src.jpg peer-small.jpg
}
remove_photo() {
  UPLOADPIC_APP_DIR=$PWD/app "$cli" --server "127.0.0.1:$port" delete "$company" "$photo_id" >/dev/null
}

# "SECONDS KB" of one chain run appended to $1.runs; the photo it added is then deleted.
timed() {
  local name=$1
  /usr/bin/time -f '%e %M' -o "$name.one" bash -c "$(declare -f "chain_$name"); chain_$name" \
    >"$name.out" 2>"$name.err" || { cat "$name.err" >&2; exit 1; }
  cat "$name.one" >>"$name.runs"
  remove_photo
}

export cli port company type src_size small_size peers
remove_photo 2>/dev/null || true # left over from an interrupted run
for ((i = 0; i < runs; i++)); do
  for name in add peer; do timed "$name"; done
done

median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
echo "Photo: 6000x4000, $(stat -c %s photo.jpg) bytes, Q95; source version $src_size (Q80), small version $small_size (Q90); $runs runs."
echo
echo "| chain | median s | ratio add/peer | peak RSS MB |"
echo "|---|---|---|---|"
base=$(cut -d' ' -f1 add.runs | median)
for name in add peer; do
  t=$(cut -d' ' -f1 "$name.runs" | median)
  kb=$(cut -d' ' -f2 "$name.runs" | median)
  echo "| $name | $t | $(awk -v a="$base" -v b="$t" 'BEGIN {printf "%.2f", a / b}') | $(awk -v k="$kb" 'BEGIN {printf "%.1f", k / 1024}') |"
done
