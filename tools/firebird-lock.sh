# Sourced (sh or bash) by every script that runs Firebird's tools or its
# embedded engine. The rule is the program's own (src/data/providers/firebird/
# fb_lock.h): unless FIREBIRD_LOCK is set already, root keeps the engine's
# default /tmp/firebird and any other user gets a private folder
# <TMPDIR or /tmp>/firebird-<uid> (mode 0700), because the default folder
# belongs to whoever created it first and locks every other user out.
if [ -z "${FIREBIRD_LOCK:-}" ] && [ "$(id -u)" -ne 0 ]; then
    _tabulon_tmp=${TMPDIR:-/tmp}
    while [ "${#_tabulon_tmp}" -gt 1 ] && [ "${_tabulon_tmp%/}" != "$_tabulon_tmp" ]; do
        _tabulon_tmp=${_tabulon_tmp%/}
    done
    [ "$_tabulon_tmp" = / ] && _tabulon_tmp=
    FIREBIRD_LOCK="$_tabulon_tmp/firebird-$(id -u)"
    unset _tabulon_tmp
    mkdir -p "$FIREBIRD_LOCK"
    chmod 700 "$FIREBIRD_LOCK"
    export FIREBIRD_LOCK
fi
