#pragma once

#include "playback/PlayerEngine.h"

#include <QStringList>

namespace orvanto::test {

// An engine that plays nothing: it records what it is asked to open, and the test reports
// events and sets the counters as the real engine would.
class FakeEngine final : public PlayerEngine {
    Q_OBJECT
public:
    using PlayerEngine::PlayerEngine;

    void play(const QString& location, bool isLocalPath) override {
        stop();
        opened << location;
        openedLocal << isLocalPath;
        playing = true;
    }
    void stop() override {
        ++stops;
        playing = false;
        counters = {};
        items.clear();
    }
    Stats stats() const override { return counters; }
    QList<QUrl> subItems() const override { return items; }
    bool hasVideo() const override { return video; }
    bool setVolume(int value) override {
        if (!acceptsVolume) {
            return false;
        }
        volume = value;
        return true;
    }
    bool setMuted(bool value) override {
        if (!acceptsVolume) {
            return false;
        }
        muted = value;
        return true;
    }
    void setFrameSink(std::shared_ptr<FrameExchange> sink) override { frames = std::move(sink); }

    // Reports an event of the current media.
    void report(Event event, qint64 value = 0) { Q_EMIT engineEvent(event, value); }

    QStringList opened;
    QList<bool> openedLocal;
    bool playing = false;
    int stops = 0;
    Stats counters;
    QList<QUrl> items;
    bool video = false;
    bool acceptsVolume = true;
    int volume = -1;
    bool muted = false;
    std::shared_ptr<FrameExchange> frames;
};

} // namespace orvanto::test
