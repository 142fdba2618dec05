#!/usr/bin/env bash
# CPU and memory of orvanto-tv playing 720p H.264 beside the vlc program: the picture scaled to
# 1920x1080 on one Xvfb of that size (the viewer full screen; vlc zoomed 1.5 times, as Xvfb has no
# window manager to honour its full screen). The viewer draws its own pictures (on the CPU here,
# as it does where OpenGL would run on the CPU); vlc uses libVLC's X11 output (xcb_x11, with
# --no-xlib, else it would draw with OpenGL; its Qt interface needs Xlib, so vlc runs without an
# interface). bench/video_bench compares the viewer with vlc's default output.
#
#   bench/playback_cost.sh [BUILD_DIR] [SECONDS]
#
# The stream: SECONDS (60) plus a few of 1280x720 H.264 at 25 frames a second with AAC, as
# MPEG-TS over HTTP from 127.0.0.1. Both programs play it at the same time, each on an Xvfb of its own;
# five seconds after both show it, their CPU time (all threads) is read, again SECONDS later,
# and their proportional set size (PSS) at the end. vlc refuses to run as root, so both run as an unprivileged user.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-60}
app=$(realpath "$build/app/orvanto-tv")
[ -x "$app" ] || { echo "no $app: build first" >&2; exit 1; }

source scripts/deps.sh
orvanto_install_deps "${ORVANTO_BENCH_PACKAGES[@]}"

user=orvbench
id "$user" >/dev/null 2>&1 || useradd -m "$user"
as_user() { if [ "$(id -u)" -eq 0 ]; then runuser -u "$user" -- "$@"; else "$@"; fi; }

work=$(mktemp -d /tmp/orvcost.XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "encoding $((seconds + 10)) s of 720p H.264..."
ffmpeg -hide_banner -loglevel error -nostdin -f lavfi \
    -i "testsrc2=size=1280x720:rate=25:duration=$((seconds + 10))" -f lavfi \
    -i "sine=frequency=440:sample_rate=48000:duration=$((seconds + 10))" -c:v libx264 \
    -preset veryfast -b:v 2500k -g 50 -c:a aac -b:a 128k -f mpegts "$work/stream.ts"
port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work" >/dev/null 2>&1 &
pids+=($!)
stream="http://127.0.0.1:$port/stream.ts"
printf '#EXTM3U\n#EXTINF:-1,720p\n%s\n' "$stream" > "$work/list.m3u"
chmod 644 "$work"/*

# Each program on an Xvfb of its own, both at once: a machine's other load then weighs on
# both alike.
start_display() {
    local display=:$1
    Xvfb "$display" -screen 0 1920x1080x24 -ac -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
}
viewer_display=:$((90 + RANDOM % 4))
vlc_display=:$((94 + RANDOM % 4))
start_display "${viewer_display#:}"
start_display "${vlc_display#:}"

wait_window() {
    local wid=""
    until wid=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -1) && [ -n "$wid" ]; do
        sleep 0.05
    done
    echo "$wid"
}
# CPU time (user and system, all threads) of process $1 in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
pss_kb() { awk '/^Pss:/ {print $2}' "/proc/$1/smaps_rollup"; }
launch() {
    local display=$1
    shift
    as_user env DISPLAY="$display" HOME="/home/$user" XDG_RUNTIME_DIR="$work" "$@" \
        >/dev/null 2>&1 &
    launched=$!
}
# The program's own process (not runuser's).
program_pid() {
    local pid
    for _ in $(seq 100); do
        pid=$(pgrep -u "$user" -n -x "$1") && { echo "$pid"; return; }
        sleep 0.05
    done
    echo "no $1 process" >&2
    exit 1
}

launch "$viewer_display" "$app" --playlist "$work/list.m3u"
pids+=($launched)
wid=$(DISPLAY=$viewer_display wait_window --name '^Orvanto Live TV$')
launch "$vlc_display" vlc --intf dummy --no-metadata-network-access --no-xlib --zoom=1.5 \
    --input-repeat=9 "$stream"
pids+=($launched)
vlc_pid=$(program_pid vlc)
sleep 1
# Station button 0: panel at (336, 24), button at (8, 24) inside it, 133 x 25.
DISPLAY=$viewer_display xdotool mousemove --window "$wid" 410 60 click 1
sleep 3
# Full screen: a double click on the video (at the top left of the window).
DISPLAY=$viewer_display xdotool mousemove --window "$wid" 160 170 click --repeat 2 --delay 80 1
viewer_pid=$(program_pid orvanto-tv)
DISPLAY=$vlc_display wait_window --class vlc >/dev/null
sleep 5
o0=$(cpu_ticks "$viewer_pid")
v0=$(cpu_ticks "$vlc_pid")
sleep "$seconds"
o1=$(cpu_ticks "$viewer_pid")
v1=$(cpu_ticks "$vlc_pid")
hz=$(getconf CLK_TCK)
o_cpu=$(awk -v d=$((o1 - o0)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * d / hz / s }')
v_cpu=$(awk -v d=$((v1 - v0)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.1f", 100 * d / hz / s }')
o_pss=$(awk '{ printf "%.1f", $1 / 1024 }' <<<"$(pss_kb "$viewer_pid")")
v_pss=$(awk '{ printf "%.1f", $1 / 1024 }' <<<"$(pss_kb "$vlc_pid")")

echo
echo "$seconds s of 720p H.264      orvanto-tv       vlc    ratio"
awk -v o="$o_cpu" -v v="$v_cpu" 'BEGIN { printf "CPU (%% of one core)    %10.1f %9.1f %8.2f\n", o, v, o / v }'
awk -v o="$o_pss" -v v="$v_pss" 'BEGIN { printf "PSS (MiB)              %10.1f %9.1f %8.2f\n", o, v, o / v }'
