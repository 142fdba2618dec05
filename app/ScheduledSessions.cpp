#include "app/ScheduledSessions.h"

#include "app/QuietChannel.h"
#include "catalogue/Catalogue.h"
#include "playback/Recorder.h"
#include "playback/RecordingSchedule.h"

#include <QDateTime>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

// One recording: the channel's own copy, its player, and the report once it is over.
class QuietSession final : public QObject, public RecordingSession {
public:
    QuietSession(const Station& station, Recorder::Request request,
                 std::function<void(const RecordingSessionFactory::Ended&)> ended)
        : request_(std::move(request)), ended_(std::move(ended)) {
        for (size_t slot = 0; slot < station.StreamUrls.size(); ++slot) {
            catalogue_.AddStreamUrl(station.Name, station.StreamUrls.address(slot), station.Group,
                                    station.Tags, station.StreamUrls.catchup(slot));
        }
        quiet_ = std::make_unique<QuietChannel>(catalogue_);
        connect(&quiet_->recorder(), &Recorder::ended, this,
                [this](const QString& path, qint64 bytes, const QString& reason) {
                    report({path, bytes, reason.isEmpty() ? reason_ : reason});
                });
        connect(quiet_.get(), &QuietChannel::accepted, this, &QuietSession::accepted);
        connect(quiet_.get(), &QuietChannel::message, this, [this](const QString& text) {
            reason_ = text;
            if (quiet_->recorder().isRecording()) {
                quiet_->recorder().stop(); // its end reports
            } else {
                later({{}, 0, text});
            }
        });
        quiet_->play(station.Name);
    }

    ~QuietSession() override { quiet_.reset(); } // the file is finished before the catalogue goes

    void stop() override {
        if (quiet_->recorder().isRecording()) {
            quiet_->recorder().stop();
        } else {
            later({{}, 0, reason_});
        }
    }

private:
    // The first address that plays starts the file; after a break it goes on in the same one.
    void accepted() {
        if (over_ || quiet_->recorder().isRecording()) {
            return;
        }
        const QString refusal = quiet_->recorder().start(request_);
        if (!refusal.isEmpty()) {
            later({{}, 0, refusal});
        }
    }

    void later(RecordingSessionFactory::Ended end) {
        QMetaObject::invokeMethod(
            this, [this, end] { report(end); }, Qt::QueuedConnection);
    }

    void report(const RecordingSessionFactory::Ended& end) {
        if (std::exchange(over_, true)) {
            return;
        }
        quiet_->standDown();
        ended_(end);
    }

    Catalogue catalogue_;
    std::unique_ptr<QuietChannel> quiet_;
    Recorder::Request request_;
    std::function<void(const RecordingSessionFactory::Ended&)> ended_;
    QString reason_; // what the player said last
    bool over_ = false;
};

} // namespace

ScheduledSessions::ScheduledSessions(Finder find, QString folder)
    : find_(std::move(find)), folder_(std::move(folder)) {}

RecordingSessionFactory::Start ScheduledSessions::start(const ScheduledRecording& entry,
                                                        std::function<void(const Ended&)> ended) {
    const Station* station = find_(entry.list, entry.channel);
    if (station == nullptr || station->StreamUrls.size() == 0) {
        return {.session = nullptr,
                .refusal = u"%1 was not in the list on show at its time."_s.arg(entry.channel),
                .retry = true};
    }
    Recorder::Request request{.channel = entry.channel,
                              .programme = entry.programme,
                              .start = QDateTime::fromSecsSinceEpoch(entry.start),
                              .folder = folder_,
                              .path = {}};
    return {.session =
                std::make_unique<QuietSession>(*station, std::move(request), std::move(ended)),
            .refusal = {},
            .retry = false};
}

} // namespace orvanto
