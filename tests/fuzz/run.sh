#!/bin/sh
# Builds the version-resource fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for a short while on generated seeds.
#   run.sh [work-folder] [seconds]
# Fails when the target crashes, leaks, or spends more than 5 s on one input.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=${1:-${TMPDIR:-/tmp}/tabulon-fuzz}
seconds=${2:-20}
cxx=${CLANGXX:-clang++}

if ! command -v "$cxx" >/dev/null 2>&1; then
    echo "run.sh: $cxx not found (Debian packages clang and libclang-rt-dev)" >&2
    exit 1
fi
mkdir -p "$work/corpus" "$work/seeds"

"$cxx" -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$root/src/components" \
    "$here/fuzz_versioninfo.cpp" "$root/src/components/o_VersionResource.cpp" \
    -o "$work/fuzz_versioninfo"
"$cxx" -std=c++20 -O1 -I"$root/tests/components" "$here/make_seeds.cpp" -o "$work/make_seeds"
"$work/make_seeds" "$work/seeds"

# New inputs go to corpus/ (kept between runs); crashes are written into $work.
exec "$work/fuzz_versioninfo" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
    -artifact_prefix="$work/" -print_final_stats=1 "$work/corpus" "$work/seeds"
