#!/usr/bin/env bash
# Where the start-up's time goes: orvanto-tv started under strace (program runs, files opened,
# sockets connected, with times) on a private Xvfb, until its window shows; prints the moments
# that mark each phase, from exec: the shared libraries loaded, Qt's platform plugin and the X
# connection, fonts, the guide store, the window on the screen, and
# libVLC's plug-in cache (which comes after the first paint). strace slows every call it sees,
# so the times are longer than a plain start's; their order and shares are what it tells.
#
#   bench/startup_trace.sh [BUILD_DIR] [LIST]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
list=${2:-}
app=$(realpath "$build/app/orvanto-tv")
[ -x "$app" ] || { echo "no $app: build first" >&2; exit 1; }
command -v strace >/dev/null || { echo "startup_trace.sh needs strace" >&2; exit 1; }

work=$(mktemp -d /tmp/orvtrace.XXXXXX)
pids=()
cleanup() {
    kill "${pids[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
display=:$((80 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -ac -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

arguments=()
[ -n "$list" ] && arguments=(--playlist "$list")
strace -f -ttt -qq -e trace=execve,openat,connect -e status=successful -o "$work/trace" \
    "$app" "${arguments[@]}" >/dev/null 2>&1 &
pids+=($!)
until xdotool search --onlyvisible --name "Orvanto Live TV" >/dev/null 2>&1; do sleep 0.02; done
shown=$(date +%s.%N)
sleep 3 # libVLC comes up after the first paint
pkill -P "${pids[-1]}" 2>/dev/null || true # the program; strace ends with it
wait "${pids[-1]}" 2>/dev/null || true

python3 - "$work/trace" "$shown" <<'PY'
import re, sys
lines = open(sys.argv[1]).read().splitlines()
shown = float(sys.argv[2])
events = []
for line in lines:
    m = re.match(r"\d+\s+(\d+\.\d+)\s+(\w+)\((.*)", line)
    if m:
        events.append((float(m.group(1)), m.group(2), m.group(3)))
start = events[0][0]
def first(pattern, call=None):
    for t, c, args in events:
        if (call is None or c == call) and re.search(pattern, args):
            return t
    return None
def last_before(pattern, limit):
    found = None
    for t, c, args in events:
        if t > limit:
            break
        if re.search(pattern, args):
            found = t
    return found
libs = [t for t, c, a in events if c == "openat" and re.search(r"\.so[.\d]*\"", a)]
marks = [
    ("shared libraries loaded before main (the last one)", last_before(r"\.so[.\d]*\"", first(r"qt6/plugins|libqxcb") or shown)),
    ("Qt's platform plugin (xcb) opened", first(r"libqxcb\.so")),
    ("X server connected", first(r"X11-unix|X\d", "connect")),
    ("fontconfig's configuration read", first(r"fonts\.conf")),
    ("first font file opened", first(r"\.(ttf|otf|pfb)\"")),
    ("the guide store opened", first(r"\.sqlite\"")),
    ("the window on the screen (seen by xdotool)", shown),
    ("libVLC's core loaded", first(r"libvlccore")),
    ("libVLC's plug-in cache read", first(r"plugins\.dat")),
    ("libVLC's last plug-in opened", last_before(r"vlc/plugins/.*\.so\"", events[-1][0])),
]
print("from exec, under strace (ms):")
for name, t in marks:
    print("  %8s  %s" % ("-" if t is None else "%.1f" % ((t - start) * 1000), name))
print("  %d shared libraries opened before the window, %d after" % (
    sum(1 for t in libs if t <= shown), sum(1 for t in libs if t > shown)))
PY
