#!/usr/bin/env bash
# The benchmark: builds Tabulon, starts PostgreSQL and MariaDB servers of its
# own, creates the data that the chosen cases need (1,000,000 rows on
# PostgreSQL, MariaDB, an embedded Firebird file and a SQLite file, a
# PostgreSQL database of 10,000 tables, a 20 MiB script),
# runs every case several times and prints the medians and ratios; the CSV
# goes to build/bench/results.csv. The servers stop at the end, also on failure.
#
#   tools/bench.sh                  all cases, 5 runs each
#   BENCH_RUNS=3 tools/bench.sh     fewer runs
#   BENCH_ONLY=pg,tree tools/bench.sh   some cases (pg, my, fb, sqlite, tree, script, export, sort, bigscript, complete, stream;
#                                       mem10m: 10,000,000 PostgreSQL rows, ~1.5 GB of disk, only when named)
#   BENCH_ROWS=10000000 tools/bench.sh  the row cases on that many rows instead of 1,000,000
#   BENCH_KEEP=1 tools/bench.sh     leaves the servers and data up and writes the sides' environment
#                                   (for profiling a side by hand: . bench.env; build/bench/tabulon_bench side NAME)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULON_BUILD_DIR:-$here/build}
runs=${BENCH_RUNS:-5}
only=${BENCH_ONLY:-pg,my,fb,sqlite,tree,script,export,sort,bigscript,complete,stream}
rows=${BENCH_ROWS:-1000000}
tables=10000
script_bytes=$((20 * 1024 * 1024))

"$here/tools/setup.sh"

out="$build/bench"
work=$(mktemp -d /tmp/tabulon-bench.XXXXXX)
envfile="$work/servers.env"
mkdir -p "$out"
# Ports of their own, so that the benchmark never meets the test command's servers.
export TABULON_PG_PORT=${TABULON_BENCH_PG_PORT:-55442}
export TABULON_MY_PORT=${TABULON_BENCH_MY_PORT:-53316}
stop() {
  if [ -n "${BENCH_KEEP:-}" ]; then
    echo "[bench] servers and data kept; stop with: tools/test-servers.sh stop $envfile; rm -rf $work"
    return
  fi
  "$here/tools/test-servers.sh" stop "$envfile" || true
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 130' INT TERM

echo "[bench] starting the servers"
"$here/tools/test-servers.sh" start "$envfile"
# shellcheck disable=SC1090
. "$envfile"
export PGPASSWORD=$TABULON_PG_PASSWORD
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/xdg}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
# The embedded engine's lock folder, shared by isql-fb and the program's sides.
. "$here/tools/firebird-lock.sh"

pg() { psql -X -q -v ON_ERROR_STOP=1 -h "$TABULON_PG_SOCKET" -p "$TABULON_PG_PORT" -U "$TABULON_PG_USER" "$@"; }
my() { mariadb --no-defaults -S "$TABULON_MY_SOCKET" -u "$TABULON_MY_USER" -p"$TABULON_MY_PASSWORD" "$@"; }

wants() { case ",$only," in *",$1,"*) return 0 ;; esac; return 1; }

pg -d tabulon_test -c "create database tabulon_bench" -c "create database tabulon_bench_tree"
if wants pg || wants export || wants sort || wants stream; then
echo "[bench] PostgreSQL: $rows rows"
pg -d tabulon_bench <<SQL
create table bench_rows (
  id integer not null primary key, qty bigint, price numeric(12,2), rate numeric(10,4),
  name varchar(40), descr text, created timestamp, nothing integer);
insert into bench_rows
  select i, i::bigint * 37, (i % 100000) / 100.0 + 0.25, (i % 9973) / 10000.0, 'Name ' || i,
         'Row number ' || i || ' of the benchmark table',
         timestamp '2020-01-01 00:00:00' + i * interval '1 second', null
  from generate_series(1, $rows) i;
vacuum analyze bench_rows;
SQL
fi

if wants mem10m; then
echo "[bench] PostgreSQL: 10,000,000 rows"
pg -d tabulon_bench <<SQL
create unlogged table bench_rows10m (
  id integer not null, qty bigint, price numeric(12,2), rate numeric(10,4),
  name varchar(40), descr text, created timestamp, nothing integer);
insert into bench_rows10m
  select i, i::bigint * 37, (i % 100000) / 100.0 + 0.25, (i % 9973) / 10000.0, 'Name ' || i,
         'Row number ' || i || ' of the benchmark table',
         timestamp '2020-01-01 00:00:00' + i * interval '1 second', null
  from generate_series(1, 10000000) i;
vacuum analyze bench_rows10m;
SQL
fi

if wants tree || wants complete; then
echo "[bench] PostgreSQL: $tables tables"
# In batches: every new table holds a lock until its transaction ends.
for from in $(seq 1 1000 "$tables"); do
  pg -d tabulon_bench_tree -c "do \$\$ begin
    for i in $from..$((from + 999)) loop
      execute format('create table t%s (id integer primary key, name varchar(40))', lpad(i::text, 5, '0'));
    end loop; end \$\$"
done
fi

if wants my; then
echo "[bench] MariaDB: $rows rows"
my >/dev/null <<SQL
create database tabulon_bench character set utf8mb4;
use tabulon_bench;
create table bench_rows (
  id integer not null primary key, qty bigint, price decimal(12,2), rate decimal(10,4),
  name varchar(40), descr varchar(80), created datetime, nothing integer);
insert into bench_rows
  select seq, seq * 37, (seq % 100000) / 100.0 + 0.25, (seq % 9973) / 10000.0, concat('Name ', seq),
         concat('Row number ', seq, ' of the benchmark table'),
         timestamp '2020-01-01 00:00:00' + interval seq second, null
  from seq_1_to_$rows;
analyze table bench_rows;
SQL
fi

fbfile="$work/bench.fdb"
if wants fb; then
echo "[bench] Firebird: $rows rows (embedded)"
isql-fb -q -b -u SYSDBA >/dev/null <<SQL
set bail on;
create database '$fbfile' page_size 8192 default character set utf8;
create table bench_rows (
  id integer not null primary key, qty bigint, price numeric(12,2), rate numeric(10,4),
  name varchar(40), descr varchar(80), created timestamp, nothing integer);
commit;
set term ^;
execute block as
  declare i integer = 1;
begin
  while (i <= $rows) do begin
    insert into bench_rows values (:i, :i * 37, mod(:i, 100000) / 100.00 + 0.25, mod(:i, 9973) / 10000.0000,
      'Name ' || :i, 'Row number ' || :i || ' of the benchmark table',
      dateadd(:i second to timestamp '2020-01-01 00:00:00'), null);
    i = i + 1;
  end
end^
set term ;^
commit;
SQL
fi

sqlitefile="$work/bench.sqlite"
if wants sqlite; then
echo "[bench] SQLite: $rows rows"
sqlite3 -bail "$sqlitefile" <<SQL
create table bench_rows (
  id integer not null primary key, qty bigint, price numeric(12,2), rate numeric(10,4),
  name varchar(40), descr varchar(80), created timestamp, "nothing" integer);
with recursive k(i) as (select 1 union all select i + 1 from k where i < $rows)
insert into bench_rows
  select i, i * 37, (i % 100000) / 100.0 + 0.25, (i % 9973) / 10000.0, 'Name ' || i,
         'Row number ' || i || ' of the benchmark table',
         datetime('2020-01-01 00:00:00', '+' || i || ' seconds'), null
  from k;
SQL
fi

echo "[bench] a 20 MiB script"
script="$work/script.sql"
awk -v limit="$script_bytes" 'BEGIN { for (i = 1; total < limit; i++) {
  line = sprintf("insert into bench_rows (id, name, descr) values (%d, '\''Name %d'\'', '\''Row number %d of the script'\'');\n", i, i, i)
  printf "%s", line; total += length(line) } }' > "$script"
truncate -s "$script_bytes" "$script"

bigscript="$work/bigscript.sql"
longline="$work/longline.sql"
if wants bigscript; then
echo "[bench] a 200 MiB script and a script of one 5 MiB line"
awk -v limit=$((200 * 1024 * 1024)) 'BEGIN { for (i = 1; total < limit; i++) {
  line = sprintf("insert into bench_rows (id, name, descr) values (%d, '\''Name %d'\'', '\''Row number %d of the script'\'');\n", i, i, i)
  printf "%s", line; total += length(line) } }' > "$bigscript"
truncate -s $((200 * 1024 * 1024)) "$bigscript"
awk -v limit=$((5 * 1024 * 1024)) 'BEGIN { for (i = 1; total < limit; i++) {
  line = sprintf("insert into bench_rows (id, name, descr) values (%d, '\''Name %d'\'', '\''Row number %d of the script'\''); ", i, i, i)
  printf "%s", line; total += length(line) } }' > "$longline"
truncate -s $((5 * 1024 * 1024)) "$longline"
fi
export TABULON_BENCH_BIGSCRIPT=$bigscript
export TABULON_BENCH_LONGLINE=$longline
export TABULON_BENCH_ROWS_DB=tabulon_bench
export TABULON_BENCH_TREE_DB=tabulon_bench_tree
export TABULON_BENCH_FB_PATH=$fbfile
export TABULON_BENCH_SQLITE_PATH=$sqlitefile
export TABULON_BENCH_SCRIPT=$script
export TABULON_BENCH_WORK=$work
export TABULON_BENCH_ROWS=$rows
export TABULON_BENCH_TABLES=$tables

if [ -n "${BENCH_KEEP:-}" ]; then
  # For profiling one side by hand: . this file, then tabulon_bench side NAME.
  { . "$envfile"; export -p | grep -E ' (TABULON_|PGPASSWORD|XDG_RUNTIME_DIR|FIREBIRD)'; } > "$work/bench.env"
  echo "[bench] environment of the sides: $work/bench.env"
fi
echo "[bench] running every case $runs times"
status=0
"$build/bench/tabulon_bench" run --runs "$runs" --csv "$out/results.csv" --only "$only" | tee "$out/results.txt" \
  || status=$?
exit "$status"
