#!/usr/bin/env bash
# Builds the viewer from scratch and runs every test headless.
#   ./test.sh                       normal build in build-tests/
#   ORVANTO_SANITIZE=ON ./test.sh   AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
#   ORVANTO_CXX=clang++ ./test.sh   the same tests built with clang++ in build-clang/
#   ORVANTO_TRACE=FILE ./test.sh    also writes what the tests start and load to FILE (strace),
#                                   for scripts/deps-audit.sh
# Each test program makes its own home, display and session bus: nothing of the caller's session
# is needed or read (`env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=$(mktemp -d) ./test.sh`).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh

sanitize=${ORVANTO_SANITIZE:-OFF}
cxx=${ORVANTO_CXX:-}
build=build-tests
type=Debug
compiler=()
if [ -n "$cxx" ]; then
    orvanto_install_deps "${ORVANTO_FUZZ_PACKAGES[@]}"
    build=build-${cxx%%+*}
    compiler=(-DCMAKE_CXX_COMPILER="$cxx")
else
    orvanto_install_deps
fi
if [ "$sanitize" = ON ]; then
    build=build-asan
    # Debian's libVLC HLS/DASH module frees with free() blocks it took with operator new, which
    # AddressSanitizer would stop every adaptive stream for; that one check is off.
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1:alloc_dealloc_mismatch=0}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi

rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=$type -DORVANTO_SANITIZE="$sanitize" \
    -DORVANTO_WERROR=ON "${compiler[@]}"
cmake --build "$build" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
trace=()
if [ -n "${ORVANTO_TRACE:-}" ]; then
    # Only the programs started and the files opened, and only where that succeeded; seccomp
    # stops the tests at those calls alone, so they run at about their own pace.
    trace=(strace -f -qq --seccomp-bpf -e trace=execve,openat -e status=successful -e signal=none
        -s 1024 -A -o "$ORVANTO_TRACE")
fi
if "${trace[@]}" ctest --test-dir "$build" --output-on-failure -j"$(nproc)" ${ORVANTO_CTEST_ARGS:-}
then
    exit 0
fi
# The desktop tests drive real window managers and X servers on a loaded machine, where a window
# now and then takes longer than a test's bound to show. When only they failed, those are run
# once more, alone; any other failure, or one of them failing twice, fails the run.
desktop=$(ctest --test-dir "$build" -N -L desktop | sed -n 's/^ *Test *#\([0-9]*\):.*/\1/p')
failed="$build/Testing/Temporary/LastTestsFailed.log"
[ -s "$failed" ] || exit 1
while IFS=: read -r number _; do
    grep -qx "$number" <<<"$desktop" || exit 1
done <"$failed"
echo "test.sh: only desktop tests failed; running them once more, one at a time"
"${trace[@]}" ctest --test-dir "$build" --output-on-failure --rerun-failed
