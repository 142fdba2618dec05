#pragma once

#include "app/RecordOptions.h"
#include "catalogue/Catalogue.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace orvanto {

class PlaylistDownload;
class QuietChannel;
struct PlaylistData;

// The recording run from the command line: reads the list, plays the channel as the window
// does (its addresses tried in turn, restarted when it breaks off, with no picture or sound),
// records it for the minutes asked once it plays, and reports its exit status through
// finished(): 0 once something was recorded (the file on standard output), else 1 with the
// reason on standard error (2 for a list or channel that is not there).
class RecordCommand : public QObject {
    Q_OBJECT
public:
    static constexpr int FailedStatus = 1;
    static constexpr int UsageStatus = 2;
    static constexpr int InterruptedStatus = 130;

    explicit RecordCommand(RecordOptions options, QObject* parent = nullptr);
    ~RecordCommand() override;

    void start();
    // Ends the recording now, keeping what was recorded (Ctrl+C).
    void interrupt();

Q_SIGNALS:
    void finished(int exitStatus);

private:
    void listRead(const PlaylistData& data);
    void play(const QString& name);
    void accepted();
    void ended(const QString& path, qint64 bytes, const QString& reason);
    void fail(const QString& text, int status);

    RecordOptions options_;
    Catalogue catalogue_;
    std::unique_ptr<QuietChannel> quiet_;
    std::unique_ptr<PlaylistDownload> download_;
    QTimer length_;  // the minutes asked, from the first accepted address on
    QString reason_; // why the player gave up, while recording
    bool interrupted_ = false;
    bool over_ = false;
};

} // namespace orvanto
