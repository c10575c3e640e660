#!/usr/bin/env bash
# Starts or stops the PostgreSQL and MariaDB servers of the test suite, each in
# a temporary folder of its own, on a unix socket and a loopback port.
#
#   tools/test-servers.sh start ENVFILE   start both, write their settings to ENVFILE
#   tools/test-servers.sh stop ENVFILE    stop what ENVFILE names, remove the folders
#   tools/test-servers.sh restart-pg|restart-my ENVFILE
#                                         stop one server without waiting for its clients
#                                         (PostgreSQL: immediate, no checkpoint) and start
#                                         it again in its folder ("-": the settings in the
#                                         environment)
#
# ENVFILE is a shell file of exports (TABULON_PG_*, TABULON_MY_*) that the test
# command sources before it runs ctest. Never a system-wide service.
set -euo pipefail

cmd=${1:?start or stop}
envfile=${2:?env file}

say() { printf '[test-servers] %s\n' "$*"; }
die() { printf '[test-servers] %s\n' "$*" >&2; exit 1; }

# Every server program by an absolute path, found where Debian installs it
# whatever the caller's PATH: an ordinary user's PATH has no /usr/sbin (where
# mariadbd and runuser live), and PostgreSQL's programs live in its own folder.
find_program() { # NAME PACKAGE
  local dir
  for dir in $(printf '%s' "${PATH:-}" | tr ':' ' ') /usr/sbin /usr/bin /sbin /bin /usr/local/sbin /usr/local/bin; do
    if [ -n "$dir" ] && [ -x "$dir/$1" ] && [ ! -d "$dir/$1" ]; then
      printf '%s\n' "$dir/$1"
      return 0
    fi
  done
  die "$1 not found (Debian package $2); tools/setup.sh installs it"
}

PG_BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
PG_PORT=${TABULON_PG_PORT:-55432}
MY_PORT=${TABULON_MY_PORT:-53306}
PG_USER=tabulon
PG_PASSWORD='tabulon-pw'
MY_USER=tabulon
MY_PASSWORD='tabulon-pw'

resolve_programs() {
  [ -n "$PG_BIN" ] && [ -x "$PG_BIN/initdb" ] || die "PostgreSQL's server programs not found under /usr/lib/postgresql (Debian package postgresql-15)"
  INITDB=$PG_BIN/initdb
  PG_CTL=$PG_BIN/pg_ctl
  PSQL=$PG_BIN/psql
  MARIADBD=$(find_program mariadbd mariadb-server)
  MARIADB_INSTALL_DB=$(find_program mariadb-install-db mariadb-server)
  MARIADB=$(find_program mariadb mariadb-client)
  RUNUSER=
  if [ "$(id -u)" = 0 ]; then RUNUSER=$(find_program runuser util-linux); fi
  say "programs: $INITDB, $PG_CTL, $PSQL, $MARIADBD, $MARIADB_INSTALL_DB, $MARIADB${RUNUSER:+, $RUNUSER}"
}

as_postgres() {
  if [ "$(id -u)" = 0 ]; then "$RUNUSER" -u postgres -- "$@"; else "$@"; fi
}

start_pg() {
  local dir
  dir=$(mktemp -d /tmp/tabulon-pg.XXXXXX)
  [ "$(id -u)" = 0 ] && chown postgres: "$dir"
  chmod 700 "$dir"
  local pw="$dir/pw"
  printf '%s\n' "$PG_PASSWORD" > "$pw"
  [ "$(id -u)" = 0 ] && chown postgres: "$pw"
  say "PostgreSQL: initdb in $dir"
  as_postgres "$INITDB" -D "$dir/data" -U postgres --pwfile="$pw" \
      --auth-local=scram-sha-256 --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1
  cat >>"$dir/data/postgresql.conf" <<EOF
listen_addresses = '127.0.0.1'
port = $PG_PORT
unix_socket_directories = '$dir'
fsync = off
synchronous_commit = off
full_page_writes = off
max_connections = 60
shared_buffers = 128MB
EOF
  say "PostgreSQL: starting on $dir (socket) and 127.0.0.1:$PG_PORT"
  as_postgres "$PG_CTL" -D "$dir/data" -l "$dir/server.log" -w -t 60 start >/dev/null
  export PGPASSWORD=$PG_PASSWORD
  "$PSQL" -h "$dir" -p "$PG_PORT" -U postgres -d postgres -v ON_ERROR_STOP=1 -q <<EOF
CREATE ROLE $PG_USER LOGIN SUPERUSER PASSWORD '$PG_PASSWORD';
CREATE DATABASE tabulon_test OWNER $PG_USER;
CREATE DATABASE tabulon_other OWNER $PG_USER;
EOF
  cat >>"$envfile" <<EOF
export TABULON_PG_DIR='$dir'
export TABULON_PG_SOCKET='$dir'
export TABULON_PG_PORT='$PG_PORT'
export TABULON_PG_USER='$PG_USER'
export TABULON_PG_PASSWORD='$PG_PASSWORD'
export TABULON_PG_DATABASE='tabulon_test'
EOF
}

start_my() {
  local dir
  dir=$(mktemp -d /tmp/tabulon-my.XXXXXX)
  chmod 755 "$dir"
  local runas=()
  if [ "$(id -u)" = 0 ]; then chown mysql: "$dir"; runas=(--user=mysql); fi
  say "MariaDB: install-db in $dir"
  "$MARIADB_INSTALL_DB" --no-defaults --datadir="$dir/data" "${runas[@]}" \
      --auth-root-authentication-method=normal --skip-test-db >"$dir/install.log" 2>&1
  say "MariaDB: starting on $dir/mysql.sock and 127.0.0.1:$MY_PORT"
  launch_my "$dir"
  "$MARIADB" --no-defaults -S "$dir/mysql.sock" -uroot <<EOF
CREATE USER '$MY_USER'@'localhost' IDENTIFIED BY '$MY_PASSWORD';
CREATE USER '$MY_USER'@'127.0.0.1' IDENTIFIED BY '$MY_PASSWORD';
GRANT ALL PRIVILEGES ON *.* TO '$MY_USER'@'localhost' WITH GRANT OPTION;
GRANT ALL PRIVILEGES ON *.* TO '$MY_USER'@'127.0.0.1' WITH GRANT OPTION;
CREATE DATABASE tabulon_test CHARACTER SET utf8mb4;
FLUSH PRIVILEGES;
EOF
  cat >>"$envfile" <<EOF
export TABULON_MY_DIR='$dir'
export TABULON_MY_SOCKET='$dir/mysql.sock'
export TABULON_MY_PORT='$MY_PORT'
export TABULON_MY_USER='$MY_USER'
export TABULON_MY_PASSWORD='$MY_PASSWORD'
export TABULON_MY_DATABASE='tabulon_test'
EOF
}

launch_my() {
  local dir=$1 runas=()
  [ "$(id -u)" = 0 ] && runas=(--user=mysql)
  "$MARIADBD" --no-defaults --datadir="$dir/data" "${runas[@]}" \
      --socket="$dir/mysql.sock" --port="$MY_PORT" --bind-address=127.0.0.1 \
      --pid-file="$dir/mariadb.pid" --log-error="$dir/server.log" \
      --skip-name-resolve --innodb-buffer-pool-size=128M --innodb-flush-log-at-trx-commit=0 \
      --max-allowed-packet=64M --character-set-server=utf8mb4 >/dev/null 2>&1 &
  for _ in $(seq 1 120); do
    [ -S "$dir/mysql.sock" ] && "$MARIADB" --no-defaults -S "$dir/mysql.sock" -uroot -e 'select 1' >/dev/null 2>&1 && break
    sleep 0.5
  done
  if ! "$MARIADB" --no-defaults -S "$dir/mysql.sock" -uroot -e 'select 1' >/dev/null 2>&1; then
    tail -n 20 "$dir/server.log" >&2 2>/dev/null || true
    die "MariaDB did not start (its log is above)"
  fi
}

restart() {
  [ "$envfile" = - ] || . "$envfile"
  MY_PORT=$TABULON_MY_PORT
  case "$1" in
    pg) as_postgres "$PG_CTL" -D "$TABULON_PG_DIR/data" -l "$TABULON_PG_DIR/server.log" \
            -m immediate -w -t 60 restart >/dev/null ;;
    my) local pid
        pid=$(cat "$TABULON_MY_DIR/mariadb.pid")
        kill "$pid"
        while kill -0 "$pid" 2>/dev/null; do sleep 0.1; done
        launch_my "$TABULON_MY_DIR" ;;
  esac
}

stop_all() {
  [ -f "$envfile" ] || return 0
  # shellcheck disable=SC1090
  . "$envfile"
  if [ -n "${TABULON_PG_DIR:-}" ] && [ -d "$TABULON_PG_DIR/data" ]; then
    say "PostgreSQL: stopping"
    as_postgres "$PG_CTL" -D "$TABULON_PG_DIR/data" -m immediate -w stop >/dev/null 2>&1 || true
    rm -rf "$TABULON_PG_DIR"
  fi
  if [ -n "${TABULON_MY_DIR:-}" ] && [ -d "$TABULON_MY_DIR" ]; then
    say "MariaDB: stopping"
    if [ -f "$TABULON_MY_DIR/mariadb.pid" ]; then
      kill "$(cat "$TABULON_MY_DIR/mariadb.pid")" 2>/dev/null || true
      for _ in $(seq 1 60); do [ -f "$TABULON_MY_DIR/mariadb.pid" ] || break; sleep 0.5; done
    fi
    rm -rf "$TABULON_MY_DIR"
  fi
  rm -f "$envfile"
}

resolve_programs
case "$cmd" in
  start)
    stop_all
    : > "$envfile"
    start_pg
    start_my
    say "settings in $envfile"
    ;;
  stop) stop_all ;;
  restart-pg) restart pg ;;
  restart-my) restart my ;;
  *) echo "usage: $0 start|stop|restart-pg|restart-my ENVFILE" >&2; exit 2 ;;
esac
