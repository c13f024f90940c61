#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests: `start DIR` makes a cluster in DIR/data that
# listens only on the Unix socket DIR/socket (port 5432 names the socket file), trusts every local
# user and holds the database kvtest owned by the role kvtest; `stop DIR` shuts it down and removes
# DIR. A DIR left behind by a killed run is stopped and removed before a new start. Only clusters
# this script made are touched: DIR must be new, empty or carry the script's mark.
#
# initdb and pg_ctl refuse to run as root, so root runs them as the postgres system user, which
# then owns DIR; anyone else runs them as themselves.
set -euo pipefail

usage() {
  echo "usage: $0 start|stop DIR" >&2
  exit 2
}
[ $# -eq 2 ] || usage
action=$1
dir=$(realpath -m "$2")
mark=$dir/kv-postgres-test-server
database=kvtest
role=kvtest

# A caller's PG* settings (another port, another data folder) must not redirect these commands.
for name in $(compgen -e); do
  if [[ $name == PG* ]]; then unset "$name"; fi
done

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "no PostgreSQL server programs under /usr/lib/postgresql (package postgresql)" >&2
  exit 1
fi

as_owner=()
[ "$(id -u)" -eq 0 ] && as_owner=(runuser -u postgres --)
# The server's owner may be unable to enter the caller's working directory.
cd /

ours() {
  [ -e "$mark" ] || [ -z "$(ls -A "$dir" 2>/dev/null)" ]
}

stop() {
  [ -e "$dir" ] || return 0
  if ! ours; then
    echo "$dir is not a test server folder made by $0; left alone" >&2
    exit 1
  fi
  if [ -e "$dir/data/postmaster.pid" ]; then
    "${as_owner[@]}" "$bin/pg_ctl" stop -D "$dir/data" -m immediate -w -t 30 >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
}

start() {
  stop
  mkdir -p "$dir/socket"
  touch "$mark"
  [ ${#as_owner[@]} -eq 0 ] || chown -R postgres: "$dir"
  if ! "${as_owner[@]}" "$bin/initdb" -D "$dir/data" -U "$role" -A trust -E UTF8 --no-locale \
    --no-sync >"$dir/initdb.log" 2>&1; then
    cat "$dir/initdb.log" >&2
    exit 1
  fi
  # A test server: nothing on the network, nothing that must survive a crash.
  cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = ''
port = 5432
unix_socket_directories = '$dir/socket'
fsync = off
synchronous_commit = off
full_page_writes = off
shared_buffers = 16MB
max_connections = 40
EOF
  if ! "${as_owner[@]}" "$bin/pg_ctl" start -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    >/dev/null; then
    cat "$dir/server.log" >&2
    exit 1
  fi
  "${as_owner[@]}" "$bin/createdb" -h "$dir/socket" -p 5432 -U "$role" "$database"
  echo "PostgreSQL test server in $dir: postgresql:///$database?host=$dir/socket&user=$role"
}

case $action in
  start) start ;;
  stop) stop ;;
  *) usage ;;
esac
