#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks the installed tree.
#   check_installed_tree.sh BUILD_DIR
set -euo pipefail

build=$1
scratch=$(cd "$(mktemp -d)" && pwd -P)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# --- Files in their places ---
app_id=org.example.OrvantoTV
expected=(
    bin/orvanto-tv
    share/orvanto-tv/Cuckoo.wav
    share/applications/orvanto-tv.desktop
    share/metainfo/$app_id.metainfo.xml
    share/icons/hicolor/scalable/apps/orvanto-tv.svg
)
for size in 16 22 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/orvanto-tv.png")
done
for file in "${expected[@]}"; do
    [ -s "$prefix/$file" ] || fail "$file is missing or empty"
done
[ -x "$prefix/bin/orvanto-tv" ] || fail "bin/orvanto-tv is not executable"
# bin/ holds the program and nothing else: no sound file, no build tools, no tests.
extra=$(cd "$prefix/bin" && ls -A | grep -vx orvanto-tv || true)
[ -z "$extra" ] || fail "bin/ holds more than the program: $extra"

# --- The desktop entry and the metadata pass their validators and agree with each other ---
desktop=$prefix/share/applications/orvanto-tv.desktop
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"

entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_program=$(entry Exec | cut -d' ' -f1)
[ -x "$prefix/bin/$exec_program" ] || fail "Exec= names '$exec_program', which is not installed"
icon=$(entry Icon)
[ -s "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "Icon= names '$icon', which the icon theme does not hold"
for type in audio/x-mpegurl audio/mpegurl application/vnd.apple.mpegurl application/x-mpegurl; do
    entry MimeType | tr ';' '\n' | grep -qx "$type" || fail "MimeType= lacks $type"
done
grep -q "<launchable type=\"desktop-id\">orvanto-tv.desktop</launchable>" "$metainfo" ||
    fail "the metadata does not launch orvanto-tv.desktop"

# --- The installed program finds its alarm sound ---
# Starts PROGRAM headless with DATA_DIRS as the desktop's data folders, and waits (at most 30 s)
# until it says where it found the sound; prints that path, or nothing (and shows its output).
sound_found_by() {
    local program=$1 data_dirs=$2 log pid path=""
    log=$(mktemp -p "$scratch")
    mkdir -p "$scratch/home"
    HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config XDG_DATA_HOME=$scratch/home/.local/share \
        XDG_DATA_DIRS=$data_dirs QT_QPA_PLATFORM=offscreen \
        QT_LOGGING_RULES='orvanto.alarm.debug=true' "$program" >/dev/null 2>"$log" &
    pid=$!
    # It either names the file it found or warns that it found none.
    for _ in $(seq 300); do
        if grep -q 'alarm sound' "$log" || ! kill -0 "$pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    path=$(sed -n 's/.*alarm sound: //p' "$log")
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$path" ] || sed 's/^/    /' "$log" >&2
    echo "$path"
}

found=$(sound_found_by "$prefix/bin/orvanto-tv" "$scratch/nowhere")
[ "$found" = "$prefix/share/orvanto-tv/Cuckoo.wav" ] ||
    fail "the installed program found its sound at '$found'"

# A program copied away from its prefix still finds the sound through the desktop's data folders.
mkdir -p "$scratch/elsewhere"
cp "$prefix/bin/orvanto-tv" "$scratch/elsewhere/"
found=$(sound_found_by "$scratch/elsewhere/orvanto-tv" "$scratch/nowhere:$prefix/share")
[ "$found" = "$prefix/share/orvanto-tv/Cuckoo.wav" ] ||
    fail "a program outside its prefix found the sound at '$found'"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of the installed tree failed" >&2
    exit 1
fi
echo "installed tree OK"
