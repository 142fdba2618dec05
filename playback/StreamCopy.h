#pragma once

#include <QObject>
#include <QString>

namespace orvanto {

// A copy of a stream the engine reads itself (HLS, DASH), written into a file the caller made,
// by a player of the engine's own that shows and sounds nothing. The copy goes on through the
// stream's outages (it opens the stream again, appending to the file) until stop(), or ends by
// itself with ended() and a reason.
class StreamCopy : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~StreamCopy() override = default;

    // Ends the copy and closes the file; ended() does not follow.
    virtual void stop() = 0;
    // Goes on from `location` instead (the player moved to another address of the channel),
    // appending to the same file.
    virtual void follow(const QString& location) = 0;
    virtual QString location() const = 0;
    // The file's size now.
    virtual qint64 bytesWritten() const = 0;

Q_SIGNALS:
    // The copy ended by itself: `reason` for the user (the disk is full, the file was removed,
    // the stream could not be opened again).
    void ended(const QString& reason);
};

} // namespace orvanto
