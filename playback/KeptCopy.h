#pragma once

#include <QObject>
#include <QString>
#include <memory>

namespace orvanto {

class KeptStream;
class StreamConnection;
class StreamCopy;
class StreamPlayer;

// What a paused channel keeps when the engine reads it itself (HLS, DASH): from the pause on, a
// copy of the stream (remuxed into MPEG-TS, as a recording's) is written into a pipe, whose
// other end a connection of ours reads into a KeptStream as it arrives. Playing on reads that
// connection; from then on the channel pauses, moves within what is kept and goes back to live
// as any stream read on a connection of ours does.
class KeptCopy : public QObject {
    Q_OBJECT
public:
    // The copy of what `player` plays now, kept in `kept`; null where it cannot be copied.
    static std::unique_ptr<KeptCopy> start(StreamPlayer& player, std::shared_ptr<KeptStream> kept);
    // Stops the copy; the connection goes with the last of its readers.
    ~KeptCopy() override;
    KeptCopy(const KeptCopy&) = delete;
    KeptCopy& operator=(const KeptCopy&) = delete;

    const std::shared_ptr<StreamConnection>& connection() const { return connection_; }

Q_SIGNALS:
    // The copy ended by itself, for `reason`; what it kept is still read to its end.
    void ended(const QString& reason);

private:
    KeptCopy(std::unique_ptr<StreamCopy> copy, std::shared_ptr<StreamConnection> connection,
             int drain);

    std::unique_ptr<StreamCopy> copy_;
    std::shared_ptr<StreamConnection> connection_;
    int drain_; // the pipe's read end once more, emptied while the copy stops
};

} // namespace orvanto
