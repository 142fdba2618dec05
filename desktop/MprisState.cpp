#include "desktop/MprisState.h"

namespace orvanto {

MprisChanges changedProperties(const MprisState& before, const MprisState& after) {
    MprisChanges changes;
    const auto note = [&changes](bool differs, const char* name) {
        if (differs) {
            changes.player << QString::fromLatin1(name);
        }
    };
    note(before.playbackStatus != after.playbackStatus, "PlaybackStatus");
    note(before.track != after.track, "Metadata");
    note(before.volume != after.volume, "Volume");
    note(before.canGoNext != after.canGoNext, "CanGoNext");
    note(before.canGoPrevious != after.canGoPrevious, "CanGoPrevious");
    note(before.canPlay != after.canPlay, "CanPlay");
    note(before.canPause != after.canPause, "CanPause");
    note(before.canSeek != after.canSeek, "CanSeek");
    if (before.fullscreen != after.fullscreen) {
        changes.root << QStringLiteral("Fullscreen");
    }
    return changes;
}

} // namespace orvanto
