#include "catalogue/EntryHeaders.h"

#include <QByteArray>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

constexpr QLatin1StringView VlcOption = "#EXTVLCOPT:"_L1;
constexpr QLatin1StringView KodiStreamHeaders = "#KODIPROP:inputstream.adaptive.stream_headers="_L1;

struct VlcHeader {
    QLatin1StringView option; // with its '='
    HttpHeaders::Header header;
};
constexpr std::array<VlcHeader, 3> VlcHeaders{{
    {"http-user-agent="_L1, HttpHeaders::Header::UserAgent},
    {"http-referrer="_L1, HttpHeaders::Header::Referer},
    {"http-referer="_L1, HttpHeaders::Header::Referer},
}};

int hexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return -1;
}

// A value without the double quotes some lists put around it.
QStringView unquoted(QStringView value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"') {
        value = value.sliced(1, value.size() - 2);
    }
    return value;
}

} // namespace

void EntryHeaders::readDirective(QStringView line, int number) {
    if (line.startsWith(VlcOption, Qt::CaseInsensitive)) {
        const QStringView option = line.sliced(VlcOption.size()).trimmed();
        for (const VlcHeader& known : VlcHeaders) {
            if (option.startsWith(known.option, Qt::CaseInsensitive)) {
                ask(Source::Directive, known.header, unquoted(option.sliced(known.option.size())),
                    number);
                return;
            }
        }
        return;
    }
    if (line.startsWith(KodiStreamHeaders, Qt::CaseInsensitive)) {
        readOptions(line.sliced(KodiStreamHeaders.size()), Source::Directive, number);
    }
}

void EntryHeaders::readOptions(QStringView options, Source source, int number) {
    qsizetype start = 0;
    while (start < options.size()) {
        qsizetype end = options.indexOf(u'&', start);
        if (end < 0) {
            end = options.size();
        }
        const QStringView option = options.sliced(start, end - start);
        const qsizetype equals = option.indexOf(u'=');
        if (equals > 0) {
            if (const auto header =
                    HttpHeaders::named(urlDecoded(option.first(equals)).trimmed())) {
                ask(source, *header, urlDecoded(option.sliced(equals + 1)), number);
            }
        }
        start = end + 1;
    }
}

void EntryHeaders::ask(Source source, HttpHeaders::Header header, QStringView value, int number) {
    std::optional<Asked>& slot = asked_[static_cast<size_t>(header)];
    if (slot && slot->source > source) {
        return;
    }
    slot = Asked{source, value.toString(), number};
}

HttpHeaders EntryHeaders::take(const std::function<void(int, const QString&)>& problem) {
    HttpHeaders headers;
    for (int i = 0; i < HttpHeaders::HeaderCount; ++i) {
        std::optional<Asked>& asked = asked_[static_cast<size_t>(i)];
        if (!asked) {
            continue;
        }
        const auto header = static_cast<HttpHeaders::Header>(i);
        if (headers.set(header, asked->value) == HttpHeaders::SetResult::TooLong) {
            problem(asked->line, u"the %1 is longer than %2 characters, not sent"_s.arg(
                                     QString::fromLatin1(HttpHeaders::name(header)),
                                     QString::number(HttpHeaders::MaxValueLength)));
        }
        asked.reset();
    }
    return headers;
}

void EntryHeaders::clear() {
    asked_ = {};
}

QString urlDecoded(QStringView text) {
    if (!text.contains(u'%') && !text.contains(u'+')) {
        return text.toString();
    }
    QByteArray bytes;
    bytes.reserve(text.size());
    qsizetype literal = 0; // start of the stretch copied as it is
    auto copyLiteral = [&](qsizetype end) {
        bytes += text.sliced(literal, end - literal).toUtf8();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'+') {
            copyLiteral(i);
            bytes += ' ';
            literal = i + 1;
        } else if (c == u'%' && i + 2 < text.size() && hexValue(text[i + 1].unicode()) >= 0 &&
                   hexValue(text[i + 2].unicode()) >= 0) {
            copyLiteral(i);
            bytes += char(hexValue(text[i + 1].unicode()) * 16 + hexValue(text[i + 2].unicode()));
            i += 2;
            literal = i + 1;
        }
    }
    copyLiteral(text.size());
    return QString::fromUtf8(bytes);
}

} // namespace orvanto
