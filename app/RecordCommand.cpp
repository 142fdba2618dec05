#include "app/RecordCommand.h"

#include "app/QuietChannel.h"
#include "catalogue/PlaylistRegistration.h"
#include "catalogue/PlaylistSource.h"
#include "net/PlaylistDownload.h"
#include "net/PortalAccount.h"
#include "playback/Recorder.h"

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
    connect(&length_, &QTimer::timeout, this, [this] { quiet_->recorder().stop(); });
}

RecordCommand::~RecordCommand() = default;

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
    quiet_ = std::make_unique<QuietChannel>(catalogue_);
    connect(&quiet_->recorder(), &Recorder::ended, this, &RecordCommand::ended);
    connect(quiet_.get(), &QuietChannel::accepted, this, &RecordCommand::accepted);
    connect(quiet_.get(), &QuietChannel::message, this, [this](const QString& text) {
        if (quiet_->recorder().isRecording()) {
            reason_ = text;
            quiet_->recorder().stop(); // ended() says what became of it
        } else {
            fail(text, FailedStatus);
        }
    });
    print(stderr, u"orvanto-tv: playing %1\n"_s.arg(name));
    quiet_->play(name);
}

// The first address accepted starts the recording; a restart after a break goes on in it.
void RecordCommand::accepted() {
    if (quiet_->recorder().isRecording() || over_) {
        return;
    }
    Recorder::Request request;
    request.channel = quiet_->channel();
    request.start = QDateTime::currentDateTime();
    if (!options_.output.isEmpty()) {
        request.path = QFileInfo(options_.output).absoluteFilePath();
    }
    const QString refusal = quiet_->recorder().start(request);
    if (!refusal.isEmpty()) {
        fail(refusal, FailedStatus);
        return;
    }
    print(stderr, u"orvanto-tv: recording for %1 min\n"_s.arg(options_.minutes));
    length_.start(int(options_.minutes * 60 * 1000));
}

void RecordCommand::interrupt() {
    interrupted_ = true;
    if (quiet_ && quiet_->recorder().isRecording()) {
        quiet_->recorder().stop();
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
        quiet_->standDown();
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
    if (quiet_) {
        quiet_->standDown();
    }
    print(stderr, u"orvanto-tv: "_s + text + u'\n');
    Q_EMIT finished(status);
}

} // namespace orvanto
