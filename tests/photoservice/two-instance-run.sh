#!/usr/bin/env bash
# The two-process run at full length: two photo-service processes on one PostgreSQL database of
# its own, 50 clients for 60 s (or the number of seconds given), one process killed half-way.
# Prints the figures; non-zero when an answer, a list or the database was wrong. Needs a build.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../../build}
UPLOADPIC_LOAD_SECONDS=${1:-60} LC_ALL=C.UTF-8 \
  exec "$here/../support/with-postgres.sh" "$build/bin/tst_instances"
