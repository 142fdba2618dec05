#pragma once

#include "core/StreamAddress.h"

#include <QString>
#include <QStringView>
#include <array>
#include <functional>
#include <optional>

namespace orvanto {

// The HTTP headers one entry of a channel list asks for, gathered from its lines as they are
// read. Lists write them in several notations:
//   #EXTINF:-1 http-user-agent="..." http-referrer="...",Name   (also user-agent=, referrer=)
//   #EXTVLCOPT:http-user-agent=...   #EXTVLCOPT:http-referrer=...
//   #KODIPROP:inputstream.adaptive.stream_headers=User-Agent=...&Referer=...
//   http://address|User-Agent=...&Referer=...&Origin=...&Cookie=...
// A notation closer to the address wins over one further away: the address's own suffix over
// the directive lines (of which the last one holds), and those over the #EXTINF attributes.
class EntryHeaders {
public:
    enum class Source { Attribute, Directive, Suffix };

    // Reads the header a directive line asks for (#EXTVLCOPT, #KODIPROP); other lines are
    // ignored.
    void readDirective(QStringView line, int number);
    // Reads "Name=Value&Name=Value" with URL-encoded values, the options after an address's
    // '|'; names other than User-Agent, Referer, Origin and Cookie are ignored.
    void readOptions(QStringView options, Source source, int number);
    // Asks for `header`, unless a closer source already did.
    void ask(Source source, HttpHeaders::Header header, QStringView value, int number);

    // The headers asked for; `problem` is told the line and why of each that cannot be sent.
    HttpHeaders take(const std::function<void(int line, const QString& text)>& problem);
    void clear();

private:
    struct Asked {
        Source source = Source::Attribute;
        QString value;
        int line = 0;
    };
    std::array<std::optional<Asked>, HttpHeaders::HeaderCount> asked_;
};

// Decodes a value written URL-encoded: %XX as UTF-8 bytes and '+' as a blank, as Kodi reads
// its address options; a '%' that starts no escape stays as it is.
QString urlDecoded(QStringView text);

} // namespace orvanto
