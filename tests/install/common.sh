# shellcheck shell=bash
# Shared by the install tests: a scratch folder removed at exit, and failure reporting.
set -euo pipefail

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check() { # description command...
    local what="$1"
    shift
    if ! "$@"; then
        fail "$what"
    fi
}
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}

scratch="$(mktemp -d "${TMPDIR:-/tmp}/uploadpic-install.XXXXXX")"
trap 'rm -rf -- "$scratch"' EXIT

# The files every program folder holds, and where each comes from in the source tree.
program_files=(uploadpic uploadpic-cli photo-service install-desktop-entry)
same_as_source=("cursor/132.cur:ui/cursor/132.cur" "cursor/133.cur:ui/cursor/133.cur"
                "uploadpic.png:packaging/uploadpic.png" "uploadpic.svg:packaging/uploadpic.svg")

check_program_folder() { # folder source-dir
    local dir="$1" src="$2" f pair
    for f in "${program_files[@]}"; do
        check "$f is an executable in $dir" test -x "$dir/$f"
    done
    for pair in "${same_as_source[@]}"; do
        check "${pair%%:*} is a copy of ${pair#*:}" cmp -s "$dir/${pair%%:*}" "$src/${pair#*:}"
    done
}

# The value of one key of the [Desktop Entry] group.
desktop_value() { # file key
    sed -n "s/^$2=//p" "$1" | head -n 1
}
