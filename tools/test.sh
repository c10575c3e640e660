#!/usr/bin/env bash
# Installs what is missing, builds, starts the PostgreSQL and MariaDB test
# servers in temporary folders, runs the whole suite with ctest, and stops the
# servers again (also when a test fails).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULON_BUILD_DIR:-$here/build}
"$here/tools/setup.sh"

envfile="$build/test-servers.env"
stop() { "$here/tools/test-servers.sh" stop "$envfile" || true; }
trap stop EXIT
echo "[test] starting the test servers"
"$here/tools/test-servers.sh" start "$envfile"
# shellcheck disable=SC1090
. "$envfile"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tabulon-xdg.XXXXXX)}
echo "[test] running the suite"
cd "$build"
ctest --output-on-failure --timeout 600
