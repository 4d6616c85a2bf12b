#!/usr/bin/env bash
# `cmake --install` of the current build into a scratch prefix whose name holds a space: the program
# folder's files, the desktop entry written for that prefix, nothing written outside it, the installed
# CLI configuring that folder, and the menu script (write, move the folder, rewrite, remove, refuse).
# Usage: tst_install.sh CMAKE BUILD_DIR SOURCE_DIR
cmake_cmd="$1" build="$2" src="$3"
# shellcheck source=common.sh
. "$(dirname -- "$0")/common.sh"

home="$scratch/home"
mkdir -p "$home"
prefix="$scratch/opt dir/uploadpic"
as_user() { env -u XDG_DATA_HOME -u UPLOADPIC_APP_DIR HOME="$home" "$@"; }

as_user "$cmake_cmd" --install "$build" --prefix "$prefix" >"$scratch/install.log" ||
    { cat "$scratch/install.log" >&2; fail "cmake --install"; finish; }
check "install names the optional menu step" grep -q "install-desktop-entry" "$scratch/install.log"
check "install writes nothing into the home folder" test -z "$(ls -A "$home")"
check_program_folder "$prefix" "$src"

# The desktop entry names the installed client; Exec is quoted because the prefix holds a space.
entry="$prefix/uploadpic.desktop"
check "uploadpic.desktop is installed" test -f "$entry"
check "Exec starts the installed client" test "$(desktop_value "$entry" Exec)" = "\"$prefix/uploadpic\""
check "TryExec is the installed client" test "$(desktop_value "$entry" TryExec)" = "$prefix/uploadpic"
check "Icon is the installed PNG" test "$(desktop_value "$entry" Icon)" = "$prefix/uploadpic.png"
check "the entry is an application" test "$(desktop_value "$entry" Type)" = "Application"
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate accepts the entry" desktop-file-validate "$entry"
fi

# photo-service's systemd unit starts the installed service and passes systemd's own check
# (which also prints, without failing, the directives it does not understand).
unit="$prefix/photo-service.service"
check "photo-service.service is installed" test -f "$unit"
if command -v systemd-analyze >/dev/null; then
    check "systemd-analyze verify accepts the unit without a remark" \
        sh -c "out=\$(systemd-analyze verify --man=no '$unit' 2>&1) && test -z \"\$out\" || { echo \"\$out\" >&2; false; }"
else
    fail "systemd-analyze is missing (scripts/setup installs systemd)"
fi

# The folder works on its own: system libraries only, no path back into the build.
for f in uploadpic uploadpic-cli photo-service; do
    check "$f finds all its libraries" sh -c "! ldd '$prefix/$f' | grep -q 'not found'"
    check "$f has no search path into the build" sh -c "! readelf -d '$prefix/$f' | grep -F -q '$build'"
done

# The installed CLI configures its own folder by default, as the installed client reads it.
cli="$prefix/uploadpic-cli"
check "uploadpic-cli --help" sh -c "'$cli' --help | grep -q config"
check "config write into the program folder" as_user "$cli" config write --ip 127.0.0.1 --port 8080
check "Config.ini lies in the program folder" test -f "$prefix/PictureConfig/Config.ini"
shown="$(as_user "$cli" config show --dir "$prefix" || true)"
check "config show gives back the address" grep -qx "IP=127.0.0.1" <<<"$shown"
check "config show gives back the port" grep -qx "Port=8080" <<<"$shown"
check "config show without --dir reads the same folder" test "$(as_user "$cli" config show || true)" = "$shown"

# The menu script writes the same entry into the user's applications folder...
apps="$home/.local/share/applications"
check "install-desktop-entry runs" as_user "$prefix/install-desktop-entry"
check "the menu entry equals the installed one" cmp -s "$apps/uploadpic.desktop" "$entry"
# ...follows the folder when it moves (a % in a path is doubled in Exec only)...
moved="$scratch/moved 100%/uploadpic"
mkdir -p "$(dirname "$moved")"
mv "$prefix" "$moved"
check "install-desktop-entry runs in the moved folder" as_user "$moved/install-desktop-entry"
check "Exec follows the move" \
    test "$(desktop_value "$apps/uploadpic.desktop" Exec)" = "\"$scratch/moved 100%%/uploadpic/uploadpic\""
check "Icon follows the move" test "$(desktop_value "$apps/uploadpic.desktop" Icon)" = "$moved/uploadpic.png"
# ...honours XDG_DATA_HOME, and takes the entry out again.
check "XDG_DATA_HOME is used" env XDG_DATA_HOME="$scratch/data" HOME="$home" "$moved/install-desktop-entry"
check "the entry lies under XDG_DATA_HOME" test -f "$scratch/data/applications/uploadpic.desktop"
check "--remove runs" as_user "$moved/install-desktop-entry" --remove
check "--remove deletes the entry" test ! -e "$apps/uploadpic.desktop"
check "--remove leaves the program folder" test -x "$moved/uploadpic"
check "an unknown option is refused" sh -c "! '$moved/install-desktop-entry' --bogus 2>/dev/null"

# A folder name that cannot appear in Exec is refused, with nothing written.
bad="$scratch/cost\$5/uploadpic"
mkdir -p "$(dirname "$bad")"
mv "$moved" "$bad"
check "a \$ in the folder name is refused" sh -c "! env -u XDG_DATA_HOME HOME='$home' '$bad/install-desktop-entry' 2>/dev/null"
check "a refused folder writes no entry" test -z "$(ls -A "$apps")"
check "cmake --install refuses such a prefix" \
    sh -c "! '$cmake_cmd' --install '$build' --component DesktopEntry --prefix '$bad' >/dev/null 2>&1"

finish
