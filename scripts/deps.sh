#!/usr/bin/env bash
# Installs the Debian packages the viewer needs to build, run and test, where they are missing.
# Sourced by run.sh and test.sh.
set -euo pipefail

ORVANTO_PACKAGES=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev libqt6opengl6-dev libgl-dev
    # Passwords in the desktop's secret store: Qt Keychain, and the libsecret it loads at run time
    # (not among its package's dependencies).
    qtkeychain-qt6-dev libsecret-1-0
    # The window on a Wayland session; OpenGL from Mesa (on the GPU, or llvmpipe on the CPU).
    qt6-wayland libgl1-mesa-dri libglx-mesa0 libegl-mesa0
    # libVLC with its codecs; the pictures come through its memory output (in vlc-plugin-base).
    libvlc-dev vlc-plugin-base libvlc-bin
    # Pictures drawn on the CPU: converted to RGB and scaled by libswscale.
    libswscale-dev
    # The programme guide: gzip and xz guides (zlib, liblzma) and its store (SQLite).
    zlib1g-dev liblzma-dev libsqlite3-dev
    libgtest-dev libgmock-dev
    fonts-liberation
    # The desktop tests: a private X server, XTest input, xprop and xwininfo; the desktops the
    # program is tried on (openbox, xfwm4, weston with XWayland).
    xvfb xdotool x11-utils openbox xfwm4 weston xwayland
    # The desktop tests on a private session bus: dbus-daemon and dbus-send, playerctl for
    # MPRIS, the accessibility bus and a reader of it (AT-SPI from Python).
    dbus-daemon dbus-session-bus-common dbus-bin playerctl at-spi2-core python3-gi gir1.2-atspi-2.0
    # The secret store's tests: a real Secret Service on their private bus.
    gnome-keyring
    # Streams the player tests make: HLS variants and Matroska tracks (ffmpeg).
    ffmpeg
    # Checking the installed tree (desktop entry, AppStream metadata) and making the .deb (CPack
    # reads the binaries with file); scripts/deps-audit.sh's record of what the tests start and
    # load.
    desktop-file-utils appstream dpkg-dev file strace
    # The stream tests' real servers: nginx serving ffmpeg's live HLS, icecast2 fed by ffmpeg,
    # ffmpeg's own one-client server. The tests start and stop their own; none runs as a service.
    nginx-light icecast2 ffmpeg
)

# Only for scripts/fuzz.sh and the clang build of test.sh: clang with its libFuzzer and sanitizer
# runtimes, and LLVM's archiver, which CMake takes for a clang build wherever it is installed (so
# the build is the same on every machine).
ORVANTO_FUZZ_PACKAGES=(clang libclang-rt-14-dev llvm)
# Only for scripts/format-check.sh.
ORVANTO_FORMAT_PACKAGES=(clang-format)
# Only for the benchmarks that measure the viewer beside vlc and mpv (bench/*.sh, video_bench):
# the players with their X11 output and Qt interface, and the tools the scripts drive them with.
ORVANTO_BENCH_PACKAGES=(vlc-bin vlc-plugin-qt vlc-plugin-video-output mpv xvfb xdotool ffmpeg
    python3)

orvanto_install_deps() {
    local extra=("$@") missing=() pkg
    for pkg in "${ORVANTO_PACKAGES[@]}" "${extra[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    # Servers among them (nginx, icecast2) are not started as services by their installation:
    # the port they would take may be in use, and nothing here needs them running.
    local policy=/usr/sbin/policy-rc.d own_policy=0
    if [ ! -e "$policy" ]; then
        printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null
        "${sudo[@]}" chmod 755 "$policy"
        own_policy=1
    fi
    local status=0
    "${sudo[@]}" apt-get update -qq &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
            --no-install-recommends "${missing[@]}" || status=$?
    if [ "$own_policy" -eq 1 ]; then
        "${sudo[@]}" rm -f "$policy"
    fi
    return "$status"
}
