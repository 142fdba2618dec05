#pragma once

// Guides as tests write them: XMLTV text, packed with gzip or xz.

#include <QByteArray>
#include <QString>
#include <lzma.h>
#include <zlib.h>

namespace orvanto::test {

inline QByteArray gzipped(const QByteArray& bytes) {
    z_stream stream{};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(bytes.size()))),
                   Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.truncate(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return out;
}

inline QByteArray xzipped(const QByteArray& bytes) {
    QByteArray out(bytes.size() + bytes.size() / 2 + 1024, Qt::Uninitialized);
    size_t written = 0;
    lzma_easy_buffer_encode(
        6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(bytes.data()),
        static_cast<size_t>(bytes.size()), reinterpret_cast<uint8_t*>(out.data()), &written,
        static_cast<size_t>(out.size()));
    out.truncate(static_cast<qsizetype>(written));
    return out;
}

// A programme element of channel `channel` from `start` to `stop` ("20240304120000 +0000").
inline QByteArray programme(const char* channel, const char* start, const char* stop,
                            const QByteArray& title, const QByteArray& more = {}) {
    return QByteArray("<programme start=\"") + start + "\" stop=\"" + stop + "\" channel=\"" +
           channel + "\"><title lang=\"en\">" + title + "</title>" + more + "</programme>\n";
}

inline QByteArray guide(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
           "<tv generator-info-name=\"test\">\n" +
           body + "</tv>\n";
}

} // namespace orvanto::test
