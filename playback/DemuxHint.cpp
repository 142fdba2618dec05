#include "playback/DemuxHint.h"

#include <array>

namespace orvanto {

namespace {

struct Hint {
    const char* contentType;
    const char* demux;
};

// libVLC's elementary stream reader takes MP3 and ADTS AAC (and AC-3, DTS); its own table for
// addresses it opens maps the same types to it.
constexpr std::array kHints{
    Hint{"audio/mpeg", "es,any"},         Hint{"audio/x-mpeg", "es,any"},
    Hint{"audio/mp3", "es,any"},          Hint{"audio/mpeg3", "es,any"},
    Hint{"audio/aac", "es,any"},          Hint{"audio/aacp", "es,any"},
    Hint{"audio/x-aac", "es,any"},        Hint{"application/ogg", "ogg,any"},
    Hint{"audio/ogg", "ogg,any"},         Hint{"video/ogg", "ogg,any"},
    Hint{"application/x-ogg", "ogg,any"}, Hint{"video/mp2t", "ts,any"},
};

} // namespace

QByteArray demuxHint(QByteArrayView contentType) {
    const qsizetype parameters = contentType.indexOf(';');
    const QByteArray type = (parameters < 0 ? contentType : contentType.first(parameters))
                                .trimmed()
                                .toByteArray()
                                .toLower();
    for (const Hint& hint : kHints) {
        if (type == hint.contentType) {
            return hint.demux;
        }
    }
    return {};
}

} // namespace orvanto
