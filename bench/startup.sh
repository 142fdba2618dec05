#!/usr/bin/env bash
# Start-up time and resident memory of orvanto-tv beside the vlc program, under Xvfb.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]
#
# Start-up: from exec to the first visible top-level window (for orvanto-tv that window is
# shown only after its first station page is filled). Memory: VmRSS two seconds after the
# window is shown, and again while a local stream (a WAV file served over HTTP on 127.0.0.1)
# has been playing for five seconds. vlc refuses to run as root, so both programs run as an
# unprivileged user. Medians of RUNS runs are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
app=$(realpath "$build/app/orvanto-tv")
[ -x "$app" ] || { echo "no $app: build first" >&2; exit 1; }

source scripts/deps.sh
orvanto_install_deps "${ORVANTO_BENCH_PACKAGES[@]}"

user=orvbench
id "$user" >/dev/null 2>&1 || useradd -m "$user"
as_user() { if [ "$(id -u)" -eq 0 ]; then runuser -u "$user" -- "$@"; else "$@"; fi; }

work=$(mktemp -d /tmp/orvbench.XXXXXX)
chmod 755 "$work"
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
pids=()
trap cleanup EXIT

# Three minutes of a 440 Hz tone as 16-bit mono PCM, served on loopback.
python3 - "$work/stream.wav" <<'PY'
import math, struct, sys, wave
rate = 22050
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(rate)
    period = [int(12000 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(rate)]
    second = struct.pack("<%dh" % rate, *period)
    w.writeframes(second * 180)
PY
port=$((20000 + RANDOM % 20000))
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$work" >/dev/null 2>&1 &
pids+=($!)
stream="http://127.0.0.1:$port/stream.wav"
printf '#EXTM3U\n#EXTINF:-1,Local stream\n%s\n' "$stream" > "$work/local.m3u"
chmod 644 "$work"/*

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -ac -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

# VmRSS of the newest process of the benchmark user matching `pgrep` arguments, or "-" (and a
# note) when it is gone.
rss_kb() {
    local pid
    pid=$(pgrep -u "$user" -n "$@") && awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null \
        || { echo "note: no process for pgrep $*" >&2; echo -; }
}
# Ends every program of the benchmark user and waits until they are gone.
finish() {
    pkill -u "$user" 2>/dev/null || true
    for _ in $(seq 100); do pgrep -u "$user" >/dev/null || break; sleep 0.05; done
    pkill -9 -u "$user" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
median() { grep -v '^-$' | sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }
now_ms() { date +%s%3N; }
# Polls for a visible window (xdotool's own --sync polls only every half second).
wait_window() {
    local wid=""
    until wid=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -1) && [ -n "$wid" ]; do
        sleep 0.005
    done
    echo "$wid"
}

# measure NAME SEARCH_ARGS... -- COMMAND...: prints "startup_ms rss_idle_kb".
launch() {
    local -n _pid=$1
    shift
    as_user env DISPLAY="$DISPLAY" HOME="/home/$user" XDG_RUNTIME_DIR="$work" "$@" \
        >/dev/null 2>&1 &
    _pid=$!
}

results() { printf '%s\n' "$@" | median; }

o_start=() o_idle=() o_play=() v_start=() v_idle=() v_play=()
for run in $(seq "$runs"); do
    # orvanto-tv, built-in catalogue: start-up and idle memory.
    t0=$(now_ms)
    launch pid "$app"
    wait_window --name '^Orvanto Live TV$' >/dev/null
    o_start+=($(($(now_ms) - t0)))
    sleep 2
    o_idle+=($(rss_kb -f "$app"))
    finish "$pid"

    # orvanto-tv playing the local stream from a one-channel list (button 0).
    launch pid "$app" --playlist "$work/local.m3u"
    wid=$(wait_window --name '^Orvanto Live TV$')
    sleep 1
    # Station button 0: panel at (336, 24), button at (8, 24) inside it, 133 x 25.
    xdotool mousemove --window "$wid" 410 60 click 1
    sleep 5
    o_play+=($(rss_kb -f "$app"))
    finish "$pid"

    # vlc with its Qt interface: start-up and idle memory, then the same stream.
    t0=$(now_ms)
    launch pid vlc --intf qt --no-qt-privacy-ask --no-metadata-network-access
    wait_window --class vlc >/dev/null
    v_start+=($(($(now_ms) - t0)))
    sleep 2
    v_idle+=($(rss_kb -x vlc))
    finish "$pid"

    launch pid vlc --intf qt --no-qt-privacy-ask --no-metadata-network-access "$stream"
    wait_window --class vlc >/dev/null
    sleep 6
    v_play+=($(rss_kb -x vlc))
    finish "$pid"
    echo "run $run: orvanto ${o_start[-1]} ms ${o_idle[-1]}/${o_play[-1]} kB;" \
        "vlc ${v_start[-1]} ms ${v_idle[-1]}/${v_play[-1]} kB"
done

echo
echo "medians of $runs runs        orvanto-tv    vlc"
printf 'start-up (ms)               %8s  %8s\n' "$(results "${o_start[@]}")" "$(results "${v_start[@]}")"
printf 'RSS after start-up (kB)     %8s  %8s\n' "$(results "${o_idle[@]}")" "$(results "${v_idle[@]}")"
printf 'RSS while playing (kB)      %8s  %8s\n' "$(results "${o_play[@]}")" "$(results "${v_play[@]}")"
