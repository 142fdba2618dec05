#!/usr/bin/env bash
# Builds the libFuzzer targets of the readers (the channel list's M3U reader, the player's reader
# of ASX, [Reference], PLS and M3U, the programme guide's XMLTV reader over gzip and xz, and the
# provider portal's JSON answers) with
# clang (in build-fuzz/) and runs each for a bounded time on a copy of its committed seed corpus.
# Fails when the fuzzer finds a crash, a sanitizer error or a hang; the input that did it lands in
# build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS]      per target; default 60, or ORVANTO_FUZZ_SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orvanto_install_deps "${ORVANTO_FUZZ_PACKAGES[@]}"

seconds=${1:-${ORVANTO_FUZZ_SECONDS:-60}}
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DORVANTO_FUZZ=ON -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF
cmake --build "$build" --target m3u_fuzz playlist_fuzz xmltv_fuzz portal_fuzz -j"$(nproc)"

# New inputs go to scratch corpora, so the committed seeds stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# fuzz TARGET DICT SEED_DIR...
fuzz() {
    local target=$1 dict=$2
    shift 2
    mkdir -p "$work/$target"
    for seeds in "$@"; do
        cp "$seeds"/* "$work/$target"/
    done
    "$build/tests/fuzz/$target" "$work/$target" \
        -dict="$dict" \
        -max_total_time="$seconds" \
        -max_len=16384 \
        -timeout=10 \
        -rss_limit_mb=2048 \
        -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-"
}
fuzz m3u_fuzz tests/fuzz/m3u.dict tests/fuzz/corpus
fuzz playlist_fuzz tests/fuzz/playlist.dict tests/fuzz/playlist-corpus tests/fuzz/corpus
fuzz xmltv_fuzz tests/fuzz/xmltv.dict tests/fuzz/xmltv-corpus
fuzz portal_fuzz tests/fuzz/portal.dict tests/fuzz/portal-corpus
