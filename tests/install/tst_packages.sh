#!/usr/bin/env bash
# `cpack -G DEB` of the current build: the two Debian packages hold what they ship and nothing else,
# name the run-time packages the programs load, and work once unpacked. The packages are unpacked
# with `dpkg -x` into a scratch root: no package database or network is needed, and the programs
# run from there on this machine's libraries (the maintainer scripts are tried by a real install,
# see packaging/README.md).
# Usage: tst_packages.sh CPACK BUILD_DIR VERSION
cpack_cmd="$1" build="$2" version="$3"
# shellcheck source=common.sh
. "$(dirname -- "$0")/common.sh"

(cd "$build" && "$cpack_cmd" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pack") \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log" >&2; fail "cpack -G DEB"; finish; }
client_deb="$scratch/pack/uploadpic_${version}_$(dpkg --print-architecture).deb"
service_deb="$scratch/pack/photo-service_${version}_$(dpkg --print-architecture).deb"
check "cpack made uploadpic_*.deb" test -f "$client_deb"
check "cpack made photo-service_*.deb" test -f "$service_deb"

# Every file each package holds, as a list of paths.
contents() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort; }
expected_client="/usr/bin/uploadpic
/usr/bin/uploadpic-cli
/usr/share/applications/uploadpic.desktop
/usr/share/doc/uploadpic/changelog.gz
/usr/share/doc/uploadpic/copyright
/usr/share/icons/hicolor/256x256/apps/uploadpic.png
/usr/share/icons/hicolor/scalable/apps/uploadpic.svg
/usr/share/man/man1/uploadpic-cli.1.gz
/usr/share/man/man1/uploadpic.1.gz
/usr/share/uploadpic/cursor/132.cur
/usr/share/uploadpic/cursor/133.cur"
expected_service="/etc/photo-service/photo-service.conf
/lib/systemd/system/photo-service.service
/usr/bin/photo-service
/usr/share/doc/photo-service/changelog.gz
/usr/share/doc/photo-service/copyright
/usr/share/man/man8/photo-service.8.gz"
check "uploadpic holds the client's files and no others" test "$(contents "$client_deb")" = "$expected_client"
check "photo-service holds the service's files and no others" \
    test "$(contents "$service_deb")" = "$expected_service"
check "the configuration is a conffile" \
    test "$(dpkg-deb --ctrl-tarfile "$service_deb" | tar -xOf - ./conffiles)" = "/etc/photo-service/photo-service.conf"

depends_client="$(dpkg-deb -f "$client_deb" Depends)"
depends_service="$(dpkg-deb -f "$service_deb" Depends)"
for p in qt6-qpa-plugins qt6-image-formats-plugins libheif1 fonts-noto-cjk libqt6widgets6 libjpeg62-turbo; do
    check "uploadpic depends on $p" grep -Eq "(^|, )$p( |,|$)" <<<"$depends_client"
done
for p in libqt6sql6-sqlite libqt6sql6-psql libqt6httpserver6 adduser; do
    check "photo-service depends on $p" grep -Eq "(^|, )$p( |,|$)" <<<"$depends_service"
done
check "photo-service needs no GUI library" test -z "$(grep -Eo 'libqt6(gui|widgets)6|qpa' <<<"$depends_service")"

root="$scratch/root"
dpkg -x "$client_deb" "$root"
dpkg -x "$service_deb" "$root"
check "the unit starts the installed service" \
    grep -q '^ExecStart="/usr/bin/photo-service"' "$root/lib/systemd/system/photo-service.service"
check "uploadpic-cli --version" test "$("$root/usr/bin/uploadpic-cli" --version)" = "uploadpic-cli $version"
check "photo-service --version" test "$("$root/usr/bin/photo-service" --version)" = "photo-service $version"

# Installed in the system's folders, the client writes into $XDG_DATA_HOME/uploadpic, never next to
# its executable.
data="$scratch/data"
as_user() { env -u UPLOADPIC_APP_DIR HOME="$scratch/home" XDG_DATA_HOME="$data" "$@"; }
check "config write" as_user "$root/usr/bin/uploadpic-cli" config write --ip 127.0.0.1 --port 8080
check "Config.ini lies in \$XDG_DATA_HOME/uploadpic" test -f "$data/uploadpic/PictureConfig/Config.ini"
check "nothing is written beside the executable" test ! -e "$root/usr/bin/PictureConfig"
check "config show reads it back" grep -qx "Port=8080" <<<"$(as_user "$root/usr/bin/uploadpic-cli" config show)"

# The unpacked service answers /healthz on a free loopback port.
port="$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')"
"$root/usr/bin/photo-service" --listen "127.0.0.1:$port" --db "$scratch/photos.db" >"$scratch/service.log" 2>&1 &
service_pid=$!
healthy=0
for _ in $(seq 100); do
    if curl -fsS "http://127.0.0.1:$port/healthz" >/dev/null 2>&1; then healthy=1; break; fi
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.2
done
check "photo-service answers /healthz" test "$healthy" -eq 1 || cat "$scratch/service.log" >&2
kill "$service_pid" 2>/dev/null || true
wait "$service_pid" 2>/dev/null || true

finish
