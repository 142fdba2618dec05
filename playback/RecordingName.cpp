#include "playback/RecordingName.h"

#include <QDir>
#include <QStandardPaths>
#include <QStringList>
#include <QTextBoundaryFinder>
#include <array>

namespace orvanto::RecordingName {

namespace {

constexpr int TsPacket = 188;
const QString Separator = QStringLiteral(" \u2014 ");

quint8 at(const QByteArray& bytes, qsizetype i) {
    return i < bytes.size() ? quint8(bytes[i]) : 0;
}

// MPEG-TS: three packets' sync bytes in a row (two where the bytes end), from wherever the
// recording began.
bool isTransportStream(const QByteArray& b) {
    for (qsizetype i = 0; i < TsPacket && i + TsPacket < b.size(); ++i) {
        if (at(b, i) == 0x47 && at(b, i + TsPacket) == 0x47 &&
            (i + 2 * TsPacket >= b.size() || at(b, i + 2 * TsPacket) == 0x47)) {
            return true;
        }
    }
    return false;
}

bool isAdtsHeader(const QByteArray& b, qsizetype i) {
    return at(b, i) == 0xFF && (at(b, i + 1) & 0xF6) == 0xF0;
}

qsizetype adtsLength(const QByteArray& b, qsizetype i) {
    return ((at(b, i + 3) & 0x03) << 11) | (at(b, i + 4) << 3) | (at(b, i + 5) >> 5);
}

// An MPEG audio frame's header: a sync, a version and layer, a bit rate and a sample rate.
bool isMpegAudioHeader(const QByteArray& b, qsizetype i) {
    const quint8 second = at(b, i + 1);
    const quint8 third = at(b, i + 2);
    return at(b, i) == 0xFF && (second & 0xE0) == 0xE0 && (second & 0x18) != 0x08 &&
           (second & 0x06) != 0 && (third >> 4) != 0 && (third >> 4) != 15 &&
           ((third >> 2) & 3) != 3;
}

// Audio frames in a row: two ADTS headers a frame apart, or two MPEG audio headers alike in
// version, layer and sample rate (a frame's length depends on tables not worth keeping here).
QString audioFrames(const QByteArray& b, qsizetype from) {
    constexpr qsizetype MaxFrame = 2882; // MPEG-1 layer III at 320 kbit/s and 8 kHz, padded
    const qsizetype end = qMin<qsizetype>(b.size(), from + 8 * MaxFrame);
    for (qsizetype i = from; i + 6 < end; ++i) {
        if (isAdtsHeader(b, i)) {
            const qsizetype next = i + adtsLength(b, i);
            if (next > i + 7 && isAdtsHeader(b, next)) {
                return QStringLiteral("aac");
            }
        } else if (isMpegAudioHeader(b, i)) {
            for (qsizetype k = i + 24; k < i + MaxFrame && k + 3 < b.size(); ++k) {
                if (isMpegAudioHeader(b, k) && at(b, k + 1) == at(b, i + 1) &&
                    (at(b, k + 2) & 0x0C) == (at(b, i + 2) & 0x0C)) {
                    return QStringLiteral("mp3");
                }
            }
        }
    }
    return {};
}

bool startsWith(const QByteArray& b, qsizetype at, std::initializer_list<quint8> bytes) {
    qsizetype i = at;
    for (const quint8 byte : bytes) {
        if (i >= b.size() || quint8(b[i]) != byte) {
            return false;
        }
        ++i;
    }
    return true;
}

bool isForbidden(QChar c) {
    static constexpr std::array<char16_t, 9> Forbidden{u'/', u'\\', u':', u'*', u'?',
                                                       u'"', u'<',  u'>', u'|'};
    return std::find(Forbidden.begin(), Forbidden.end(), c.unicode()) != Forbidden.end() ||
           c.category() == QChar::Other_Control;
}

bool isDeviceName(const QString& text) {
    static const QStringList Devices{QStringLiteral("CON"), QStringLiteral("PRN"),
                                     QStringLiteral("AUX"), QStringLiteral("NUL")};
    const QString stem = text.section(u'.', 0, 0).trimmed().toUpper();
    if (Devices.contains(stem)) {
        return true;
    }
    return stem.size() == 4 &&
           (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
           stem[3] >= u'1' && stem[3] <= u'9';
}

QString trimEnds(QString text) {
    while (text.startsWith(u'.') || text.startsWith(u' ')) {
        text.remove(0, 1);
    }
    while (text.endsWith(u'.') || text.endsWith(u' ')) {
        text.chop(1);
    }
    return text;
}

// The longest start of `text` within `maxBytes` of UTF-8 that ends between two characters as
// the reader sees them (an accent stays on its letter, an emoji whole).
QString cut(const QString& text, int maxBytes) {
    if (text.toUtf8().size() <= maxBytes) {
        return text;
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype best = 0;
    for (qsizetype end = graphemes.toNextBoundary(); end > 0; end = graphemes.toNextBoundary()) {
        if (QStringView(text).left(end).toUtf8().size() > maxBytes) {
            break;
        }
        best = end;
    }
    return text.left(best);
}

} // namespace

QString extensionFor(const QByteArray& first) {
    if (isTransportStream(first)) {
        return QStringLiteral("ts");
    }
    if (startsWith(first, 0, {'f', 'L', 'a', 'C'})) {
        return QStringLiteral("flac");
    }
    if (startsWith(first, 4, {'f', 't', 'y', 'p'})) {
        return QStringLiteral("mp4");
    }
    if (startsWith(first, 0, {0x1A, 0x45, 0xDF, 0xA3})) {
        return QStringLiteral("mkv");
    }
    if (startsWith(first, 0, {'F', 'L', 'V', 0x01})) {
        return QStringLiteral("flv");
    }
    if (startsWith(first, 0, {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11})) {
        return QStringLiteral("asf");
    }
    if (first.indexOf("OggS") >= 0) {
        return QStringLiteral("ogg");
    }
    qsizetype audioFrom = 0;
    if (startsWith(first, 0, {'I', 'D', '3'}) && first.size() >= 10) {
        // The tag's size, seven bits to a byte; the frames follow it.
        audioFrom = 10 + ((at(first, 6) & 0x7F) << 21 | (at(first, 7) & 0x7F) << 14 |
                          (at(first, 8) & 0x7F) << 7 | (at(first, 9) & 0x7F));
        if (audioFrom >= first.size()) {
            return QStringLiteral("mp3"); // a tag larger than what came: MP3's own
        }
    }
    const QString audio = audioFrames(first, audioFrom);
    return audio.isEmpty() ? QStringLiteral("bin") : audio;
}

bool isVideo(const QString& extension) {
    static const QStringList Video{QStringLiteral("ts"),  QStringLiteral("mp4"),
                                   QStringLiteral("mkv"), QStringLiteral("flv"),
                                   QStringLiteral("asf"), QStringLiteral("bin")};
    return Video.contains(extension);
}

QString safePart(const QString& text, int maxBytes) {
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        if (c.isSpace()) {
            if (!safe.isEmpty() && !safe.endsWith(u' ')) {
                safe += u' ';
            }
        } else {
            safe += isForbidden(c) ? QChar(u'_') : c;
        }
    }
    safe = trimEnds(cut(trimEnds(safe), maxBytes));
    if (isDeviceName(safe)) {
        safe = trimEnds(cut(u'_' + safe, maxBytes));
    }
    return safe;
}

QString fileName(const QString& channel, const QString& programme, const QDateTime& start,
                 const QString& extension) {
    const QString date = start.toString(QStringLiteral("yyyy-MM-dd HH.mm"));
    const int separatorBytes = int(Separator.toUtf8().size());
    const int budget = MaxNameBytes - ReservedBytes - int(date.toUtf8().size()) - separatorBytes;
    QString channelPart = safePart(channel, budget);
    if (channelPart.isEmpty()) {
        channelPart = QStringLiteral("Recording");
    }
    const int left = budget - int(channelPart.toUtf8().size()) - separatorBytes;
    const QString programmePart = left > 0 ? safePart(programme, left) : QString();
    QString name = channelPart + Separator;
    if (!programmePart.isEmpty()) {
        name += programmePart + Separator;
    }
    return name + date + u'.' + extension;
}

QString folderFor(bool video, const QString& chosen) {
    if (!chosen.isEmpty()) {
        return chosen;
    }
    QString base = QStandardPaths::writableLocation(video ? QStandardPaths::MoviesLocation
                                                          : QStandardPaths::MusicLocation);
    if (base.isEmpty()) {
        base = QDir::homePath();
    }
    return base + QStringLiteral("/Orvanto");
}

} // namespace orvanto::RecordingName
