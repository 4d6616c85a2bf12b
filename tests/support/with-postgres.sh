#!/usr/bin/env bash
# Runs a command against a PostgreSQL server of its own: initdb in a temporary folder, a server on a
# free loopback port (trust authentication, loopback only), UPLOADPIC_TEST_PG set to the URL of its
# administrative database, and the server stopped and removed afterwards. The server refuses to run
# as root, so under root it runs as "nobody". Exit code: the command's; 1 when the server cannot start.
set -euo pipefail

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "with-postgres: no PostgreSQL server installed (scripts/setup installs it)" >&2
  exit 1
fi

dir=$(mktemp -d "${TMPDIR:-/tmp}/uploadpic-pg.XXXXXX")
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody: "$dir"
  as_owner=(runuser -u nobody --)
fi

stop() {
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap stop EXIT

"${as_owner[@]}" "$bindir/initdb" -D "$dir/data" -U photos --auth=trust -E UTF8 --locale=C.UTF-8 \
  >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# A port found free can be taken before the server binds it: try a few.
started=""
for _ in 1 2 3 4 5; do
  port=$(free_port)
  if "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c max_connections=200 -c fsync=off" \
      start >/dev/null 2>&1; then
    started=1
    break
  fi
done
if [ -z "$started" ]; then
  echo "with-postgres: the server did not start" >&2
  cat "$dir/server.log" >&2 || true
  exit 1
fi

export UPLOADPIC_TEST_PG="postgresql://photos@127.0.0.1:$port/postgres"

# "$UPLOADPIC_TEST_PG_CONTROL stop|start|restart" stops (fast: sessions are ended), starts or restarts
# the same server on the same port, for tests of a service whose database goes away under it.
cat >"$dir/control" <<EOF
#!/bin/sh
exec ${as_owner[*]} "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -m fast \\
  -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c max_connections=200 -c fsync=off" "\$1" >/dev/null
EOF
chmod 755 "$dir/control"
export UPLOADPIC_TEST_PG_CONTROL="$dir/control"
set +e
"$@"
code=$?
set -e
exit $code
