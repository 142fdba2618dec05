#include "GuideWriter.h"

#include <QDateTime>
#include <QFile>
#include <zlib.h>

namespace orvanto::bench {

namespace {

// A small deterministic generator, so that every run packs alike.
struct Words {
    quint32 state = 12345;
    quint32 next() {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
    QByteArray words(int count) {
        static const char* vocabulary[] = {
            "the",     "news",   "of",      "day",      "live",     "match",    "final",   "season",
            "report",  "world",  "weather", "film",     "series",   "episode",  "music",   "night",
            "story",   "family", "drama",   "science",  "history",  "travel",   "cooking", "sport",
            "morning", "show",   "talk",    "guests",   "city",     "island",   "journey", "secret",
            "ancient", "kings",  "ocean",   "mountain", "детектив", "ειδήσεις", "αγώνας",  "νύχτα"};
        QByteArray text;
        for (int i = 0; i < count; ++i) {
            if (i > 0) {
                text += ' ';
            }
            text += vocabulary[next() % (sizeof vocabulary / sizeof *vocabulary)];
        }
        return text;
    }
};

QByteArray xmltvTime(qint64 secs) {
    return QDateTime::fromSecsSinceEpoch(secs, Qt::UTC)
               .toString(QStringLiteral("yyyyMMddHHmmss"))
               .toLatin1() +
           " +0000";
}

// Writes the guide (packed with gzip unless `shape.plain`) to `path`.
} // namespace

Written writeGuide(const QString& path, qint64 firstStart, const Shape& shape) {
    gzFile packed = nullptr;
    QFile plain(path);
    if (shape.plain) {
        plain.open(QIODevice::WriteOnly);
    } else {
        packed = gzopen(QFile::encodeName(path).constData(), "wb6");
    }
    Written written;
    auto put = [&](const QByteArray& bytes) {
        if (packed) {
            gzwrite(packed, bytes.constData(), static_cast<unsigned>(bytes.size()));
        } else {
            plain.write(bytes);
        }
        written.xml += bytes.size();
    };
    auto text = [&](const QByteArray& bytes) -> const QByteArray& {
        written.text += bytes.size();
        return bytes;
    };
    put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
        "<tv generator-info-name=\"guide_bench\">\n");
    for (int c = 1; c <= shape.channels; ++c) {
        const QByteArray n = QByteArray::number(c);
        put("  <channel id=\"" + text("ch" + n + ".example") +
            "\">\n    <display-name lang=\"en\">" + text("Channel " + n + " TV") +
            "</display-name>\n    <icon src=\"" +
            text("http://img.example.com/logo/" + n + ".png") + "\"/>\n  </channel>\n");
    }
    Words words;
    QByteArray block;
    for (int c = 1; c <= shape.channels; ++c) {
        const QByteArray id = "ch" + QByteArray::number(c) + ".example";
        block.clear();
        for (int p = 0; p < shape.perChannel; ++p) {
            const qint64 start = firstStart + qint64(p) * shape.slotSeconds;
            block += "  <programme start=\"" + text(xmltvTime(start)) + "\" stop=\"" +
                     text(xmltvTime(start + shape.slotSeconds)) + "\" channel=\"" + text(id) +
                     "\">\n    <title lang=\"en\">" + text(words.words(3)) +
                     (shape.changeEvery > 0 && p % shape.changeEvery == c % shape.changeEvery
                          ? text(" (changed)")
                          : QByteArray()) +
                     "</title>\n";
            if (shape.big) {
                block += "    <title lang=\"de\">" + text(words.words(3)) +
                         "</title>\n    <title lang=\"el\">" + text(words.words(3)) + "</title>\n";
            }
            block += "    <sub-title lang=\"en\">" + text(words.words(4)) +
                     "</sub-title>\n    <desc lang=\"en\">" +
                     text(words.words(shape.big ? 78 : 16)) + ".</desc>\n";
            if (shape.big) {
                block += "    <desc lang=\"de\">" + text(words.words(78)) + ".</desc>\n";
            }
            block += "    <category lang=\"en\">" + text(words.words(1)) +
                     "</category>\n    <episode-num system=\"xmltv_ns\">" +
                     text(QByteArray::number(words.next() % 9) + "." +
                          QByteArray::number(words.next() % 30) + ".0/1") +
                     "</episode-num>\n    <rating system=\"VCHIP\"><value>TV-PG</value>"
                     "</rating>\n  </programme>\n";
        }
        put(block);
    }
    put("</tv>\n");
    if (packed) {
        gzclose(packed);
    }
    return written;
}

} // namespace orvanto::bench
