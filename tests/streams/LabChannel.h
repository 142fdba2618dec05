#pragma once

#include "catalogue/Catalogue.h"
#include "core/QtTicker.h"
#include "net/StreamSniffer.h"
#include "playback/FailoverPlayer.h"
#include "playback/PlayState.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"
#include "support/RecordingMessageSink.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace orvanto::test {

// One station played as the window plays it: the failover player on its one-second tick over
// the real player (libVLC with dummy outputs, the real sniffer), on real time. Records what the
// window would show: accepted stations, restarts, failure boxes and the status label.
class LabChannel {
public:
    LabChannel(const QString& name, const QStringList& addresses) : name_(name) {
        for (const QString& address : addresses) {
            catalogue_.AddStreamUrl(name, address);
        }
        player_.attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                       std::make_unique<StreamSniffer>());
        failover_ = std::make_unique<FailoverPlayer>(catalogue_, player_, ticker_, messages_);
        QObject::connect(failover_.get(), &FailoverPlayer::statusTextChanged,
                         [this](const QString& text) {
                             if (text == QLatin1String("abbruch")) {
                                 ++breakOffs;
                             }
                             status = text;
                             if (text.contains(QLatin1Char(' '))) {
                                 progress = text; // "address received ticks"
                             }
                         });
        QObject::connect(failover_.get(), &FailoverPlayer::stationAccepted, [this] { ++accepted; });
    }

    ~LabChannel() {
        failover_.reset();
        player_.stop();
    }

    void select() { failover_->SelectStation(name_, 0); }

    const QString& name() const { return name_; }
    const FailoverPlayer& failover() const { return *failover_; }
    FailoverPlayer& failover() { return *failover_; }
    const VlcPlayer& player() const { return player_; }
    VlcPlayer& player() { return player_; }
    int failureBoxes() const { return int(messages_.messages.size()); }
    // The received figure of the last progress text in the status label (-1 without one).
    qint64 receivedShown() const {
        const QStringList words = progress.split(QLatin1Char(' '));
        return words.size() >= 3 ? words[words.size() - 2].toLongLong() : -1;
    }
    // Playing now, on the station it accepted once and never restarted.
    bool keptPlaying() const {
        return accepted == 1 && breakOffs == 0 && messages_.messages.empty() &&
               failover_->StationPlaying() && player_.playState() == PlayState::Playing;
    }
    std::string describe() const {
        return QStringLiteral("%1: accepted %2, break-offs %3, failure boxes %4, state %5, "
                              "slot %6, received %7 KiB, status \"%8\"")
            .arg(name_)
            .arg(accepted)
            .arg(breakOffs)
            .arg(messages_.messages.size())
            .arg(player_.playState())
            .arg(failover_->CurrentUrlIndex())
            .arg(player_.receivedPackets())
            .arg(progress)
            .toStdString();
    }

    int accepted = 0;
    int breakOffs = 0;
    QString status;
    QString progress;

private:
    QString name_;
    Catalogue catalogue_;
    VlcPlayer player_;
    QtTicker ticker_{1000};
    RecordingMessageSink messages_;
    std::unique_ptr<FailoverPlayer> failover_;
};

} // namespace orvanto::test
