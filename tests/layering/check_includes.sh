#!/usr/bin/env bash
# The folders' include arrows run one way: a folder includes only itself and the folders of a
# lower rank. Siblings of one rank (playback and guide; lock, alarm, shortcuts) do not include
# each other. libVLC is included by the engine alone: its private header VlcEngine_p.h (which
# only the engine's VlcEngine*.cpp and VlcStreamCopy.cpp include), its video side
# VlcVideoOutput.cpp, its start-up VlcWarmUp.cpp and its copies of streams for recordings
# VlcStreamCopy.cpp; no other header.
#   tests/layering/check_includes.sh [SOURCE_DIR]
set -euo pipefail
export LC_ALL=C # one order of file names everywhere
cd "${1:-$(dirname "$0")/../..}"

declare -A rank=([core]=0 [catalogue]=1 [net]=2 [playback]=3 [guide]=3 [check]=4 [window]=5
                 [lock]=6 [alarm]=6 [shortcuts]=6 [app]=7)
rank[desktop]=6 # the desktop's session bus: a sibling of lock, alarm and shortcuts
status=0
for folder in "${!rank[@]}"; do
    while IFS=: read -r file _ target; do
        [ -n "$file" ] || continue
        dir=${target%%/*}
        [ -n "${rank[$dir]+set}" ] || continue # generated headers (orvanto/Version.h)
        if [ "$dir" != "$folder" ] && [ "${rank[$dir]}" -ge "${rank[$folder]}" ]; then
            echo "$file includes $target: $folder may not include $dir" >&2
            status=1
        fi
    done < <(grep -Ho '^#include "[a-z]*/[A-Za-z0-9_]*\.h"' "$folder"/*.h "$folder"/*.cpp 2>/dev/null |
             sed 's/#include "\(.*\)"/\1/' | sed 's/:/::/')
done

engine="playback/VlcEngine_p.h playback/VlcStreamCopy.cpp playback/VlcVideoOutput.cpp playback/VlcWarmUp.cpp"
vlc=$(grep -rl --include='*.cpp' --include='*.h' '#include <vlc/' \
          core catalogue net guide playback check window lock alarm shortcuts app | sort | xargs || true)
if [ "$vlc" != "$engine" ]; then
    echo "libVLC is included by: ${vlc:-nothing} (only $engine may)" >&2
    status=1
fi
private=$(grep -rl --include='*.cpp' --include='*.h' '#include "playback/VlcEngine_p.h"' \
              core catalogue net guide playback check window lock alarm shortcuts app tests bench |
              sort | xargs || true)
if [ "$private" != "playback/VlcEngine.cpp playback/VlcEngineTracks.cpp playback/VlcStreamCopy.cpp" ]; then
    echo "the engine's private header is included by: ${private:-nothing}" >&2
    status=1
fi
exit $status
