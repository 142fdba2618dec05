#include "catalogue/M3uParser.h"

#include "catalogue/Catchup.h"
#include "catalogue/EntryHeaders.h"
#include "catalogue/ExtInfAttributes.h"
#include "catalogue/PlaylistText.h"
#include "core/AddressPolicy.h"

#include <QDir>
#include <QLatin1StringView>
#include <array>
#include <climits>
#include <utility>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr QLatin1StringView ExtInf = "#EXTINF:"_L1;

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The scheme of an absolute address ("http" of "http://..."), or an empty view for a relative
// one.
QStringView schemeOf(QStringView address) {
    if (address.isEmpty() || !isAsciiLetter(address.front().unicode())) {
        return {};
    }
    for (qsizetype i = 1; i < address.size(); ++i) {
        const char16_t c = address[i].unicode();
        if (c == u':') {
            return address.first(i);
        }
        if (!isAsciiLetter(c) && !(c >= u'0' && c <= u'9') && c != u'+' && c != u'-' && c != u'.') {
            return {};
        }
    }
    return {};
}

struct HeaderAttribute {
    QLatin1StringView key;
    HttpHeaders::Header header;
};
// Of two spellings of one header, the first one found here holds.
constexpr std::array<HeaderAttribute, 6> HeaderAttributes{{
    {"http-user-agent"_L1, HttpHeaders::Header::UserAgent},
    {"user-agent"_L1, HttpHeaders::Header::UserAgent},
    {"http-referrer"_L1, HttpHeaders::Header::Referer},
    {"referrer"_L1, HttpHeaders::Header::Referer},
    {"http-referer"_L1, HttpHeaders::Header::Referer},
    {"referer"_L1, HttpHeaders::Header::Referer},
}};

void askAttributeHeaders(QStringView attributes, EntryHeaders& headers, int number) {
    std::array<bool, HttpHeaders::HeaderCount> found{};
    for (const HeaderAttribute& attribute : HeaderAttributes) {
        bool& done = found[static_cast<size_t>(attribute.header)];
        if (done) {
            continue;
        }
        const QStringView value = attributeValue(attributes, attribute.key);
        if (!value.isNull()) {
            headers.ask(EntryHeaders::Source::Attribute, attribute.header, value, number);
            done = true;
        }
    }
}

struct Resolved {
    QString address;
    QString problem; // non-empty: the address is left out, and why
};

Resolved resolveAddress(QStringView written, const QUrl& base) {
    const QStringView scheme = schemeOf(written);
    const bool fromNetwork = !base.isEmpty() && !base.isLocalFile();
    const auto origin = fromNetwork ? AddressPolicy::Origin::Network : AddressPolicy::Origin::Local;
    if (!scheme.isEmpty()) {
        if (!AddressPolicy::mayName(origin, scheme)) {
            return {{},
                    fromNetwork
                        ? u"the address \"%1\" is no network stream, and a playlist from "
                          u"the network may name nothing else"_s.arg(elidedForMessage(written))
                        : u"the address \"%1\" is a script, not a stream"_s.arg(
                              elidedForMessage(written))};
        }
        return {written.toString(), {}};
    }
    if (base.isEmpty()) {
        return {written.toString(), {}};
    }
    if (base.isLocalFile()) {
        // In a local playlist a relative address is a path, as file managers write it.
        const QString playlistPath = base.toLocalFile();
        QString path = written.toString();
        if (!path.startsWith(u'/')) {
            path = playlistPath.first(playlistPath.lastIndexOf(u'/') + 1) + path;
        }
        return {QUrl::fromLocalFile(QDir::cleanPath(path)).toString(QUrl::FullyEncoded), {}};
    }
    const QUrl resolved = base.resolved(QUrl(written.toString(), QUrl::TolerantMode));
    if (!resolved.isValid()) {
        return {{}, u"\"%1\" is not a valid address"_s.arg(elidedForMessage(written))};
    }
    return {resolved.toString(QUrl::FullyEncoded), {}};
}

// Why a text whose first line is `firstLine` is no M3U playlist at all; empty if it may be one.
QString foreignFormat(QStringView firstLine) {
    if (firstLine.startsWith(u'<')) {
        return u"it is a web page or an XML document, not an M3U playlist"_s;
    }
    if (firstLine.startsWith(u'{') || firstLine.startsWith(u'[')) {
        if (firstLine.startsWith("[playlist]"_L1, Qt::CaseInsensitive)) {
            return u"it is a PLS playlist, not an M3U playlist"_s;
        }
        if (firstLine.startsWith("[reference]"_L1, Qt::CaseInsensitive)) {
            return u"it is a Windows Media reference file: it holds stream addresses, but it is "
                   u"not an M3U list"_s;
        }
        return u"it is structured data (JSON or INI), not an M3U playlist"_s;
    }
    return {};
}

class Reader {
public:
    // Directive lines kept for one entry; more are not written back.
    static constexpr qsizetype MaxDirectives = 16;

    Reader(const QUrl& base, const M3uEntrySink& sink, M3uResult& result)
        : base_(base), sink_(sink), result_(result) {}

    // Returns false when the text turns out to be no channel list.
    bool line(QStringView text, int number) {
        if (text.isEmpty()) {
            return true;
        }
        if (!sawContent_) {
            sawContent_ = true;
            result_.rejection = foreignFormat(text);
            if (!result_.rejection.isEmpty()) {
                return false;
            }
        }
        if (text.startsWith(u'#')) {
            if (!sawHeader_ && text.startsWith("#EXTM3U"_L1, Qt::CaseInsensitive)) {
                sawHeader_ = true;
                // Its attributes follow like an #EXTINF line's after the duration.
                addGuideAddresses(text.sliced(7), result_.guideAddresses,
                                  M3uResult::MaxGuideAddresses);
                // The list's archive, for every channel that does not say otherwise.
                headerCatchup_ = readCatchup(
                    text.sliced(7), {}, [this, number](const QString& p) { problem(number, p); });
            }
            directive(text, number);
            return result_.rejection.isEmpty();
        }
        address(text, number);
        return true;
    }

    void end() { dropPendingInfo(); }

private:
    void directive(QStringView text, int number) {
        if (pendingLine_ > 0 && text.startsWith(ExtInf, Qt::CaseInsensitive)) {
            directives_.clear(); // the earlier #EXTINF had no address
            headers_.clear();
        }
        if (text.size() > 1 && text[1] != u' ' && !text.startsWith(u"#EXTM3U"_s) &&
            directives_.size() < MaxDirectives) {
            directives_.append(text.toString());
        }
        if (text.startsWith(ExtInf, Qt::CaseInsensitive)) {
            dropPendingInfo();
            pendingLine_ = number;
            ExtInfo info = readExtInf(text.sliced(ExtInf.size()));
            pendingName_ = std::move(info.name);
            pendingGroup_ = std::move(info.group);
            askAttributeHeaders(info.attributes, headers_, number);
            pendingTags_ = std::move(info.tags);
            pendingCatchup_ = readCatchup(info.attributes, headerCatchup_,
                                          [this, number](const QString& p) { problem(number, p); });
            return;
        }
        if (AddressPolicy::isHlsTag(text)) {
            const qsizetype colon = text.indexOf(u':');
            result_.rejection =
                u"it is an HLS stream (line %1: %2), not a list of channels"_s.arg(number).arg(
                    colon < 0 ? text : text.first(colon));
            return;
        }
        // #EXTVLCOPT and #KODIPROP may ask for headers; #EXTM3U, #EXTGRP and plain comments
        // carry nothing we use.
        headers_.readDirective(text, number);
    }

    void address(QStringView written, int number) {
        // Options after a '|' (Kodi's notation) are no part of the address.
        const qsizetype bar = written.indexOf(u'|');
        const QStringView options = bar < 0 ? QStringView() : written.sliced(bar);
        if (bar >= 0) {
            written = written.first(bar).trimmed();
        }
        Resolved resolved;
        if (written.size() > AddressPolicy::MaxAddressLength) {
            resolved.problem =
                u"the address is longer than %1 characters"_s.arg(AddressPolicy::MaxAddressLength);
        } else if (written.isEmpty()) {
            resolved.problem =
                u"no address before the options \"%1\""_s.arg(elidedForMessage(options));
        } else {
            resolved = resolveAddress(written, base_);
        }
        if (!resolved.problem.isEmpty()) {
            problem(number, resolved.problem + u", left out"_s);
            pendingLine_ = 0;
            pendingName_.clear();
            directives_.clear();
            headers_.clear();
            return;
        }
        M3uEntry entry;
        entry.line = number;
        entry.directives = std::exchange(directives_, {});
        if (options.size() > AddressPolicy::MaxAddressLength) {
            problem(number, u"the options after the address are longer than %1 characters, "
                            u"ignored"_s.arg(AddressPolicy::MaxAddressLength));
        } else if (!options.isEmpty()) {
            headers_.readOptions(options.sliced(1), EntryHeaders::Source::Suffix, number);
            entry.addressOptions = options.toString();
        }
        entry.headers =
            headers_.take([this](int line, const QString& text) { problem(line, text); });
        entry.name = pendingLine_ > 0 && !pendingName_.isEmpty() ? std::move(pendingName_)
                                                                 : resolved.address;
        entry.address = std::move(resolved.address);
        if (pendingLine_ > 0) {
            entry.group = std::move(pendingGroup_);
            entry.tags = std::move(pendingTags_);
            entry.catchup = std::move(pendingCatchup_);
        } else {
            entry.catchup = headerCatchup_;
        }
        pendingLine_ = 0;
        pendingName_.clear();
        pendingGroup_.clear();
        pendingTags_ = {};
        pendingCatchup_ = {};
        sink_(std::move(entry));
    }

    void dropPendingInfo() {
        if (pendingLine_ > 0) {
            problem(pendingLine_, u"#EXTINF without an address after it, ignored"_s);
        }
        pendingLine_ = 0;
        pendingName_.clear();
    }

    void problem(int number, const QString& text) {
        ++result_.problemCount;
        if (result_.problems.size() < M3uResult::MaxProblemTexts) {
            result_.problems.append(u"Line %1: %2"_s.arg(number).arg(text));
        }
    }

    const QUrl& base_;
    const M3uEntrySink& sink_;
    M3uResult& result_;
    bool sawContent_ = false;
    bool sawHeader_ = false;
    int pendingLine_ = 0; // line of an #EXTINF still waiting for its address, or 0
    QString pendingName_;
    QStringList directives_;
    QString pendingGroup_;
    EntryHeaders headers_; // asked for by the lines since the previous address
    StationTags pendingTags_;
    Catchup headerCatchup_;  // the #EXTM3U line's
    Catchup pendingCatchup_; // the pending #EXTINF's, over the header's
};

} // namespace

M3uResult parseM3u(QStringView text, const QUrl& base, const M3uEntrySink& sink) {
    M3uResult result;
    Reader reader(base, sink, result);
    if (text.startsWith(QChar::ByteOrderMark)) {
        text = text.sliced(1);
    }
    int number = 1;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start <= n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\n' && text[end] != u'\r') {
            ++end;
        }
        if (!reader.line(text.sliced(start, end - start).trimmed(), number)) {
            return result;
        }
        if (end >= n) {
            break;
        }
        // CRLF, LF and CR each end one line.
        start = (text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') ? end + 2 : end + 1;
        if (number < INT_MAX) {
            ++number;
        }
    }
    reader.end();
    return result;
}

M3uResult parseM3u(QStringView text, const QUrl& base) {
    std::vector<M3uEntry> entries;
    M3uResult result =
        parseM3u(text, base, [&entries](M3uEntry&& entry) { entries.push_back(std::move(entry)); });
    if (result.rejection.isEmpty()) {
        result.entries = std::move(entries);
    }
    return result;
}

} // namespace orvanto
