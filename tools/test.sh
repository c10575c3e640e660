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
# Started with the PATH an ordinary Debian user has (no /usr/sbin), even when
# this runs as root: the script must find every server program by itself, and
# it prints the absolute paths it chose.
env PATH=/usr/local/bin:/usr/bin:/bin "$here/tools/test-servers.sh" start "$envfile"
# shellcheck disable=SC1090
. "$envfile"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/tabulon-xdg.XXXXXX)}
# The embedded Firebird engine's lock folder, by the program's own rule, for
# the tests and the isql-fb runs of their fixtures alike.
. "$here/tools/firebird-lock.sh"
echo "[test] running as $(id -un) (uid $(id -u)); Firebird lock folder: ${FIREBIRD_LOCK:-/tmp/firebird (the engine default)}"
echo "[test] running the suite"
cd "$build"
ctest --output-on-failure --timeout 600
