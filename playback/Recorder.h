#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

namespace orvanto {

class RecordingFile;
class StreamCopy;
class StreamPlayer;

// Records what a player plays while it goes on playing. Where the player reads the stream on a
// connection of its own, the bytes it receives are written as they come, unchanged: the server
// sees no second connection and the picture no gap; the recording follows the player through
// an outage it bridges and a failover to another address. What the engine reads itself (HLS,
// DASH) is copied by the engine into MPEG-TS on a player of its own, which fetches the playlist
// and segments a second time. A recording ends with stop(), with a failure of its file, or
// when the recorder goes (quitting finishes the file).
class Recorder : public QObject {
    Q_OBJECT
public:
    struct Request {
        QString channel;
        QString programme; // the guide's title of the moment; may be empty
        QDateTime start;
        QString folder; // the user's choice; empty: ~/Videos/Orvanto or ~/Music/Orvanto
        QString path;   // the file itself, chosen by the user; empty: named and placed as above
    };

    explicit Recorder(StreamPlayer& player, QObject* parent = nullptr);
    // Finishes the file under way, waiting for what is queued to be written.
    ~Recorder() override;

    // Starts recording what the player plays. Returns an empty text, or why it cannot.
    QString start(const Request& request);
    // Ends the recording; its file is finished in the background and ended() follows.
    void stop();
    bool isRecording() const { return file_ != nullptr || copy_ != nullptr; }
    // Of the recording under way: bytes written so far and its file (empty until made).
    qint64 bytesWritten() const;
    QString path() const;

Q_SIGNALS:
    void recordingChanged(bool recording);
    // A recording is over: finished (`reason` empty) or failed; `path` empty when no file was
    // made.
    void ended(const QString& path, qint64 bytes, const QString& reason);

private:
    struct Finishing {
        quint64 id = 0;
        std::shared_ptr<RecordingFile> file;
    };
    void onEnded(quint64 id, bool failed, const QString& path, qint64 bytes, const QString& reason);
    QString startCopy(const Request& request);
    void endCopy(const QString& reason);

    StreamPlayer& player_;
    quint64 lastId_ = 0;
    std::shared_ptr<RecordingFile> file_; // the player's tap while it records
    std::vector<Finishing> finishing_;    // stopped, not yet finished
    std::unique_ptr<StreamCopy> copy_;    // the engine's copy, for what it reads itself
    QString copyPath_;
};

} // namespace orvanto
