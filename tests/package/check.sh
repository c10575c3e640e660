#!/usr/bin/env bash
# Installs the build into a temporary root and builds the Debian package, then
# checks both: the files in their places, the desktop entry and metainfo
# through their validators, the package's fields and contents, lintian, and
# that the installed and the packaged (stripped) program answer --version.
#
#   tests/package/check.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
app_id=example.brennick.Tabulon
work=$(mktemp -d /tmp/tabulon-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

file_version=$(sed -n 's/^FileVersion *= *\([^ ]*\) *$/\1/p' "$source_dir/cmake/version.ini")
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$file_version" ] && [ -n "$project_version" ] || fail "no version found"

# The version as a program prints it without any display.
check_version() {
  local out
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" --version) || fail "$1 --version failed"
  [ "$out" = "Tabulon $file_version" ] || fail "$1 --version printed '$out', not 'Tabulon $file_version'"
}

# The files every installation carries, relative to the prefix.
expected_files=(
  bin/tabulon
  share/applications/$app_id.desktop
  share/metainfo/$app_id.metainfo.xml
  share/icons/hicolor/scalable/apps/$app_id.svg
  share/man/man1/tabulon.1.gz
  share/doc/tabulon/index.html
  share/doc/tabulon/connecting.html
  share/doc/tabulon/shortcuts.html
  share/doc/tabulon/style.css
  share/doc/tabulon/copyright
  share/doc/tabulon/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected_files+=("share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done

echo "== cmake --install"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in "${expected_files[@]}"; do
  [ -f "$work/prefix/$f" ] || fail "cmake --install did not install $f"
done
for size in 16 22 24 32 48 64 128 256; do
  dims=$(file -b "$work/prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
  case "$dims" in *"$size x $size"*) ;; *) fail "the ${size}px icon is $dims" ;; esac
done
check_version "$work/prefix/bin/tabulon"
# F1 looks for the manual at ../share/doc/tabulon from the program's folder.
[ -f "$work/prefix/bin/../share/doc/tabulon/index.html" ] || fail "manual not beside the installed program"
gzip -t "$work/prefix/share/man/man1/tabulon.1.gz" || fail "man page is not gzip"

echo "== validators"
desktop-file-validate "$work/prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/prefix/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"
grep -q "<release version=\"$project_version\"" "$work/prefix/share/metainfo/$app_id.metainfo.xml" \
  || fail "the metainfo does not list release $project_version"

echo "== cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack"
deb="$work/package/tabulon_${project_version}_amd64.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in $(ls "$work/package")"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tabulon ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$project_version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = database ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
for lib in libc6 libqt6widgets6 libqt6gui6 libqt6core6 libqscintilla2-qt6-15 libpq5 libmariadb3 libodbc2 \
           libfbclient2 libsqlite3-0 libjpeg62-turbo libxlsxwriter4; do
  [[ "$depends" =~ (^|, )$lib( |,|$) ]] || fail "Depends lacks $lib: $depends"
done
recommends=$(field Recommends)
for pkg in odbc-mdbtools tdsodbc; do
  [[ "$recommends" =~ (^|, )$pkg(,|$) ]] || fail "Recommends lacks $pkg: $recommends"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in "${expected_files[@]}"; do
  grep -qx "./usr/$f" <<<"$contents" || fail "the package lacks /usr/$f"
done
dpkg-deb -x "$deb" "$work/root"
check_version "$work/root/usr/bin/tabulon"

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
echo "package checks passed: $(basename "$deb")"
