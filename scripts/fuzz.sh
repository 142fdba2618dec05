#!/usr/bin/env bash
# Builds the playlist reader's libFuzzer target with clang (in build-fuzz/) and runs it for a
# bounded time on a copy of the committed seed corpus. Fails when the fuzzer finds a crash, a
# sanitizer error or a hang; the input that did it lands in build-fuzz/artifacts/.
#   scripts/fuzz.sh [SECONDS]      default 60, or ORVANTO_FUZZ_SECONDS
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orvanto_install_deps "${ORVANTO_FUZZ_PACKAGES[@]}"

seconds=${1:-${ORVANTO_FUZZ_SECONDS:-60}}
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DORVANTO_FUZZ=ON -DORVANTO_TESTS=OFF -DORVANTO_BENCH=OFF
cmake --build "$build" --target m3u_fuzz -j"$(nproc)"

# New inputs go to a scratch corpus, so the committed seeds stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp tests/fuzz/corpus/* "$work"/
mkdir -p "$build/artifacts"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
"$build/tests/fuzz/m3u_fuzz" "$work" \
    -dict=tests/fuzz/m3u.dict \
    -max_total_time="$seconds" \
    -max_len=16384 \
    -timeout=10 \
    -rss_limit_mb=2048 \
    -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/"
