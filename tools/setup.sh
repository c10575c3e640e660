#!/usr/bin/env bash
# Installs the Debian packages Tabulon needs (only those missing), configures
# and builds it in build/. Used by run.sh, test.sh and bench.sh; safe to repeat.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${TABULON_BUILD_DIR:-$here/build}

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqscintilla2-qt6-dev libgl-dev
  libpq-dev postgresql-15 postgresql-client-15
  libmariadb-dev mariadb-server mariadb-client
  firebird3.0-server-core firebird3.0-utils firebird-dev libfbclient2
  unixodbc unixodbc-dev odbc-mdbtools mdbtools tdsodbc
  libsqlite3-dev sqlite3
  libjpeg-dev libgtest-dev libxlsxwriter-dev
  binutils-mingw-w64-x86-64 clang libclang-rt-14-dev
  qt6-qpa-plugins xvfb xdotool x11-utils
  desktop-file-utils appstream lintian dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "[setup] installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
  # Never start the packaged servers as system services: the tests run their own.
  if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee /usr/sbin/policy-rc.d >/dev/null
    "${sudo_cmd[@]}" chmod +x /usr/sbin/policy-rc.d
    trap '"${sudo_cmd[@]}" rm -f /usr/sbin/policy-rc.d' EXIT
  fi
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "[setup] all packages present"
fi

echo "[setup] configuring and building in $build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)"
