#include "app/RecordCommand.h"

#include "catalogue/PlaylistRegistration.h"
#include "catalogue/PlaylistSource.h"
#include "net/PlaylistDownload.h"
#include "net/PortalAccount.h"
#include "net/StreamSniffer.h"
#include "playback/FailoverPlayer.h"
#include "playback/Recorder.h"
#include "playback/VlcEngine.h"
#include "playback/VlcPlayer.h"

#include <QDateTime>
#include <QFileInfo>
#include <cstdio>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

void print(FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

RecordCommand::RecordCommand(RecordOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {
    length_.setSingleShot(true);
    length_.setTimerType(Qt::VeryCoarseTimer);
    connect(&length_, &QTimer::timeout, this, [this] { recorder_->stop(); });
}

RecordCommand::~RecordCommand() {
    recorder_.reset(); // the file is finished before the player goes
    failover_.reset();
}

void RecordCommand::start() {
    auto later = [this](QString text) {
        QMetaObject::invokeMethod(
            this, [this, text] { fail(text, UsageStatus); }, Qt::QueuedConnection);
    };
    if (isAccountAddress(options_.list)) {
        later(u"--record reads a list file or an http(s) list; an account's channels are "
              u"recorded from the window"_s);
        return;
    }
    download_ =
        readPlaylist(this, options_.list, [this](const PlaylistData& data) { listRead(data); });
}

void RecordCommand::listRead(const PlaylistData& data) {
    if (over_) {
        return;
    }
    if (!data.error.isEmpty()) {
        fail(u"cannot read %1: %2"_s.arg(data.source, data.error), UsageStatus);
        return;
    }
    const PlaylistReport report = registerPlaylist(data, catalogue_);
    if (!report.accepted) {
        fail(u"cannot read %1: %2"_s.arg(data.source, report.rejection), UsageStatus);
        return;
    }
    // The name as written, else the one channel named so in another case.
    QString name = options_.channel;
    if (catalogue_.FindStation(name) <= 0) {
        QStringList alike;
        for (const Station& station : catalogue_) {
            if (station.Name.compare(options_.channel, Qt::CaseInsensitive) == 0) {
                alike << station.Name;
            }
        }
        if (alike.size() != 1) {
            fail(u"%1 has no channel named \"%2\""_s.arg(data.source, options_.channel),
                 UsageStatus);
            return;
        }
        name = alike.first();
    }
    play(name);
}

void RecordCommand::play(const QString& name) {
    player_ = std::make_unique<VlcPlayer>();
    player_->attach(std::make_unique<VlcEngine>(VlcEngine::Options{.dummyOutputs = true}),
                    std::make_unique<StreamSniffer>());
    recorder_ = std::make_unique<Recorder>(player_->streamPlayer());
    connect(recorder_.get(), &Recorder::ended, this, &RecordCommand::ended);
    failover_ = std::make_unique<FailoverPlayer>(catalogue_, *player_, attempts_, messages_);
    connect(failover_.get(), &FailoverPlayer::stationAccepted, this, &RecordCommand::accepted);
    messages_.shown = [this](const QString& text) {
        if (recorder_->isRecording()) {
            reason_ = text;
            recorder_->stop(); // ended() says what became of it
        } else {
            fail(text, FailedStatus);
        }
    };
    print(stderr, u"orvanto-tv: playing %1\n"_s.arg(name));
    failover_->SelectStation(name, 0);
}

// The first address accepted starts the recording; a restart after a break goes on in it.
void RecordCommand::accepted() {
    if (recorder_->isRecording() || over_) {
        return;
    }
    Recorder::Request request;
    request.channel = failover_->channel();
    request.start = QDateTime::currentDateTime();
    if (!options_.output.isEmpty()) {
        request.path = QFileInfo(options_.output).absoluteFilePath();
    }
    const QString refusal = recorder_->start(request);
    if (!refusal.isEmpty()) {
        fail(refusal, FailedStatus);
        return;
    }
    print(stderr, u"orvanto-tv: recording for %1 min\n"_s.arg(options_.minutes));
    length_.start(int(options_.minutes * 60 * 1000));
}

void RecordCommand::interrupt() {
    interrupted_ = true;
    if (recorder_ && recorder_->isRecording()) {
        recorder_->stop();
    } else {
        fail(u"interrupted before anything was recorded"_s, InterruptedStatus);
    }
}

void RecordCommand::ended(const QString& path, qint64 bytes, const QString& reason) {
    if (over_) {
        return;
    }
    const QString why = reason.isEmpty() ? reason_ : reason;
    if (bytes > 0 && !path.isEmpty()) {
        if (!why.isEmpty()) {
            print(stderr, u"orvanto-tv: the recording stopped early: %1\n"_s.arg(why));
        }
        print(stdout, path + u'\n');
        over_ = true;
        failover_->standDown();
        player_->stop();
        Q_EMIT finished(0);
        return;
    }
    fail(why.isEmpty() ? u"nothing was recorded"_s : why,
         interrupted_ ? InterruptedStatus : FailedStatus);
}

void RecordCommand::fail(const QString& text, int status) {
    if (over_) {
        return;
    }
    over_ = true;
    length_.stop();
    if (failover_) {
        failover_->standDown();
        player_->stop();
    }
    print(stderr, u"orvanto-tv: "_s + text + u'\n');
    Q_EMIT finished(status);
}

} // namespace orvanto
