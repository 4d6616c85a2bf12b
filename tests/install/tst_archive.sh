#!/usr/bin/env bash
# `cpack -G TGZ` of the current build: one top folder "uploadpic" holding the program folder with
# stripped binaries and no desktop entry (its paths are only known where the archive is unpacked);
# unpacked, the folder works and its menu script names the unpacked location.
# Usage: tst_archive.sh CPACK BUILD_DIR SOURCE_DIR
cpack_cmd="$1" build="$2" src="$3"
# shellcheck source=common.sh
. "$(dirname -- "$0")/common.sh"

(cd "$build" && "$cpack_cmd" -G TGZ --config "$build/CPackConfig.cmake" -B "$scratch/pack") \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; fail "cpack -G TGZ"; finish; }
archives=("$scratch"/pack/uploadpic-*.tar.gz)
check "cpack made one uploadpic-*.tar.gz" test "${#archives[@]}" -eq 1 -a -f "${archives[0]}"
archive="${archives[0]}"

tar -tzf "$archive" >"$scratch/list"
check "everything lies under uploadpic/" sh -c "! grep -v '^uploadpic/' '$scratch/list'"
check "the archive leaves the desktop entry to the menu script" sh -c "! grep -q 'uploadpic.desktop' '$scratch/list'"

opt="$scratch/home/.local/opt"
mkdir -p "$opt"
tar -xzf "$archive" -C "$opt"
dir="$opt/uploadpic"
check_program_folder "$dir" "$src"
for f in uploadpic uploadpic-cli photo-service; do
    check "$f is stripped" sh -c "! readelf -S '$dir/$f' | grep -q '\.debug_info'"
done
check "the unpacked CLI runs" sh -c "'$dir/uploadpic-cli' --help >/dev/null"
check "the unpacked menu script runs" env -u XDG_DATA_HOME HOME="$scratch/home" "$dir/install-desktop-entry"
entry="$scratch/home/.local/share/applications/uploadpic.desktop"
check "its entry starts the unpacked client" test "$(desktop_value "$entry" Exec)" = "\"$dir/uploadpic\""

finish
