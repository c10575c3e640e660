#!/usr/bin/env bash
# Installs what is missing, builds, makes the sample SQLite and Firebird
# databases (both embedded: no server needed) and starts Tabulon.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULON_BUILD_DIR:-$here/build}
"$here/tools/setup.sh"
mkdir -p "$build/sample"
echo "[run] making the sample database $build/sample/tabulon-sample.sqlite"
"$here/tools/make-sample-sqlite.sh" "$build/sample/tabulon-sample.sqlite"
echo "[run] making the sample database $build/sample/tabulon-sample.fdb"
"$here/tools/make-sample-db.sh" "$build/sample/tabulon-sample.fdb"
echo "[run] starting Tabulon"
exec "$build/tabulon" "$@"
