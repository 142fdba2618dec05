#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace orvanto {

// Takes the titles out of a stream from a SHOUTcast or Icecast server that was asked for them
// ("Icy-MetaData: 1") and said how often they come ("icy-metaint: N"): after every N bytes of
// audio, one length byte L and L * 16 bytes of text ("StreamTitle='Artist - Song';", padded
// with NULs). What is left is the audio alone. Titles are UTF-8, or Latin-1 where they are not
// valid UTF-8. Plain data, no Qt objects: it may move to another thread with the connection
// whose body it reads.
class IcyReader {
public:
    // Intervals beyond this are no server's; a header that says so is not believed.
    static constexpr qint64 MaxInterval = 1024 * 1024;

    // The interval an "icy-metaint" header gives, or 0 when it gives none that can be used.
    static qint64 interval(QByteArrayView header);

    explicit IcyReader(qint64 interval) : interval_(interval), audioLeft_(interval) {}

    // Appends the audio of `in` to `out`. Returns true when a title came in it that differs from
    // the one before (see title()).
    bool read(QByteArrayView in, QByteArray& out);
    // The latest title the stream gave; empty before the first, or when it gave an empty one.
    const QString& title() const { return title_; }

private:
    void takeTitle();

    qint64 interval_;
    qint64 audioLeft_;        // audio bytes before the next length byte
    qsizetype textLeft_ = -1; // text bytes of the block under way; -1: none under way
    QByteArray text_;
    QString title_;
    bool changed_ = false;
};

} // namespace orvanto
