#pragma once

// The benches' XMLTV guides, generated alike at every run.

#include <QByteArray>
#include <QString>

namespace orvanto::bench {

// What the guide holds.
struct Shape {
    int channels = 14000;
    int perChannel = 36;
    int slotSeconds = 3600;
    bool big = false;    // long texts in several languages
    bool plain = false;  // served as XML, not packed
    int changeEvery = 0; // every so many programmes' title is changed (0: none)
};

// What a guide written holds: its bytes of XML, and of text (element content and attribute
// values, as read).
struct Written {
    qint64 xml = 0;
    qint64 text = 0;
};

// Writes the guide (packed with gzip unless `shape.plain`) to `path`, its programmes starting at
// `firstStart`.
Written writeGuide(const QString& path, qint64 firstStart, const Shape& shape);

} // namespace orvanto::bench
