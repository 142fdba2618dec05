#!/usr/bin/env bash
# The audit of the set-up's package list, on this build: the full list passes; a list that lacks a
# package the build reads from fails and names it; one that lacks a package whose program the
# tests start fails and names it.
#   check_deps_audit.sh SOURCE_DIR BUILD_DIR [--with-fuzz]
set -euo pipefail

source_dir=$1 build=$2
shift 2
audit=("$source_dir/scripts/deps-audit.sh" "$build" "$@")
# shellcheck source=../../scripts/deps.sh
source "$source_dir/scripts/deps.sh"
packages=("${ORVANTO_PACKAGES[@]}")
[ "${1:-}" != --with-fuzz ] || packages+=("${ORVANTO_FUZZ_PACKAGES[@]}")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# without PACKAGE: the list less PACKAGE.
without() {
    local p out=()
    for p in "${packages[@]}"; do
        [ "$p" = "$1" ] || out+=("$p")
    done
    echo "${out[*]}"
}

# A record of the tests as strace writes it: a window manager and an X tool started, Qt's X11
# platform loaded by a test program, an attempt that failed (which counts for nothing).
xdotool=$(command -v xdotool)
cat >"$scratch/trace" <<TRACE
4101 execve("$build/tests/desktop/desktop_tests", ["desktop_tests"], 0x7ffd /* 9 vars */) = 0
4101 openat(AT_FDCWD, "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so", O_RDONLY|O_CLOEXEC) = 7
4102 execve("/usr/local/sbin/xdotool", ["xdotool", "key", "F11"], 0x7ffd /* 9 vars */) = -1 ENOENT (No such file or directory)
4102 execve("$xdotool", ["xdotool", "key", "F11"], 0x7ffd /* 9 vars */) = 0
4103 execve("/usr/bin/openbox", ["openbox", "--sm-disable"], 0x7ffd /* 12 vars */) = 0
TRACE

# The full list: every file accounted for.
if ! "${audit[@]}" --trace "$scratch/trace" --packages "${packages[*]}" >"$scratch/full" 2>&1; then
    fail "the full list does not pass:"
    sed 's/^/    /' "$scratch/full" >&2
fi

# expect_named PACKAGE WHAT: the list without PACKAGE fails and names it as used.
expect_named() {
    local package=$1 what=$2 status=0
    "${audit[@]}" --trace "$scratch/trace" --packages "$(without "$package")" \
        >"$scratch/out" 2>&1 || status=$?
    if [ "$status" -ne 1 ]; then
        fail "without $package the audit ends with $status, not 1 ($what)"
        sed 's/^/    /' "$scratch/out" >&2
    elif ! grep -q "^  $package: " "$scratch/out"; then
        fail "without $package the audit does not name it ($what):"
        sed 's/^/    /' "$scratch/out" >&2
    fi
}
# Qt's OpenGL module: CMake's package configuration and headers (only recommended by
# qt6-base-dev, the fault a fresh machine showed).
expect_named libqt6opengl6-dev "the build reads its CMake configuration and headers"
# A program the tests start, and one a window manager's package brings.
expect_named xdotool "the tests start it"
expect_named openbox "the tests start it"

if [ "$failures" -ne 0 ]; then
    exit 1
fi
echo "deps audit OK"
