#!/usr/bin/env bash
# The photo viewer on a 24 MP photo: zoom steps at several scales (painted, then the smooth copy) and
# drag steps next to the plain way of painting, on the offscreen platform. Prints Markdown table rows
# on stdout (nothing else): | figure | ours | peer | ratio | goal | met |
#
# Usage: bench/viewer/run.sh BUILD_DIR
# Run it alone on the machine (e.g. under the build lock): other load skews the times.
set -euo pipefail

build=$(cd "${1:?usage: run.sh BUILD_DIR}" && pwd)
cmake --build "$build" --target bench_viewphoto >&2
QT_QPA_PLATFORM=offscreen "$build/bin/bench_viewphoto"
