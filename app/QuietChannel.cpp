#include "app/QuietChannel.h"

#include "net/StreamSniffer.h"
#include "playback/FailoverPlayer.h"
#include "playback/Recorder.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"

namespace orvanto {

QuietChannel::QuietChannel(const Catalogue& catalogue, QObject* parent) : QObject(parent) {
    player_ = std::make_unique<VlcPlayer>();
    player_->attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                    std::make_unique<StreamSniffer>());
    recorder_ = std::make_unique<Recorder>(player_->streamPlayer());
    failover_ = std::make_unique<FailoverPlayer>(catalogue, *player_, attempts_, messages_);
    connect(failover_.get(), &FailoverPlayer::stationAccepted, this, &QuietChannel::accepted);
}

QuietChannel::~QuietChannel() {
    recorder_.reset();
    failover_.reset();
}

void QuietChannel::play(const QString& name) {
    failover_->SelectStation(name, 0);
}

void QuietChannel::standDown() {
    failover_->standDown();
    player_->stop();
}

QString QuietChannel::channel() const {
    return failover_->channel();
}

} // namespace orvanto
