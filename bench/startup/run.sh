#!/usr/bin/env bash
# Start-up to the login dialog's first paint: the client against the smallest program showing the
# same dialog and against an empty QDialog, all on the offscreen platform, each timed by the same
# preloaded probe from just before the start to the end of the first paint. The three run in turn,
# RUNS rounds after one round of warm-up. Prints Markdown table rows on stdout (nothing else):
#   | figure | ours | peer | ratio | goal | met |
#
# Usage: bench/startup/run.sh BUILD_DIR [RUNS]
# Run it alone on the machine (e.g. under the build lock): other load skews the times.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD_DIR [RUNS]}" && pwd)
runs=${2:-9}
cmake --build "$build" --target uploadpic uploadpic-cli bench_first_paint bench_startup_dialog \
  bench_startup_empty >&2

probe=$build/bench/startup/libbench_first_paint.so
client=$build/bin/uploadpic
dialog=$build/bench/startup/bench_startup_dialog
empty=$build/bench/startup/bench_startup_empty

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The client's own folder with a server configuration (nothing listens there: only the dialog is
# timed) and a runtime folder of its own for the single-instance guard.
mkdir -p "$work/app" "$work/run"
chmod 700 "$work/run"
"$build/bin/uploadpic-cli" config write --ip 127.0.0.1 --port 9 --dir "$work/app" >/dev/null
export QT_QPA_PLATFORM=offscreen UPLOADPIC_APP_DIR=$work/app XDG_RUNTIME_DIR=$work/run

# Milliseconds to the first paint of one start of $1.
once() {
  local ms
  ms=$(FIRST_PAINT_T0=$EPOCHREALTIME timeout 20 env LD_PRELOAD="$probe" "$1" 2>/dev/null) || true
  [[ $ms =~ ^[0-9.]+$ ]] || { echo "no first paint from $1" >&2; exit 1; }
  echo "$ms"
}

names=(client dialog empty)
declare -A program=([client]=$client [dialog]=$dialog [empty]=$empty)
for name in "${names[@]}"; do once "${program[$name]}" >/dev/null; done
for ((i = 0; i < runs; i++)); do
  for name in "${names[@]}"; do once "${program[$name]}" >>"$work/$name.ms"; done
done

median() { sort -g "$1" | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
ours=$(median "$work/client.ms")
row() { # figure, peer's median, goal as the largest ratio allowed
  awk -v f="$1" -v a="$ours" -v b="$2" -v g="$3" 'BEGIN {
    r = a / b
    printf "| %s | %.1f ms | %.1f ms | %.2f× | ≤ %.1f× | %s |\n", f, a, b, r, g, (r <= g) ? "yes" : "no" }'
}
row "start to the login dialog's first paint, against the same dialog alone" "$(median "$work/dialog.ms")" 1.3
row "start to the login dialog's first paint, against an empty QDialog" "$(median "$work/empty.ms")" 2
