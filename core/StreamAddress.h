#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QSharedDataPointer>
#include <QString>
#include <QStringView>
#include <array>
#include <optional>

namespace orvanto {

// The HTTP headers a channel list asks for one address: servers that want them refuse the
// stream without them. Only headers that say who asks and from where are carried, never those
// that shape the request itself. Values are cleaned as they are set, so that nothing a list
// says can add a header line or end the request.
//
// Immutable once made and implicitly shared: a copy costs one pointer, an address without
// headers nothing more, and many addresses of a list can share one set.
class HttpHeaders {
public:
    enum class Header : quint8 { UserAgent, Referer, Origin, Cookie };
    static constexpr int HeaderCount = 4;
    // Values longer than this (after cleaning) are refused.
    static constexpr qsizetype MaxValueLength = 2048;

    // The name of `header` as sent ("User-Agent", "Referer", ...).
    static QByteArrayView name(Header header);
    // The header called `name` in any case ("referrer" too); nothing for any other name.
    static std::optional<Header> named(QStringView name);

    enum class SetResult { Set, Empty, TooLong };
    // Sets `header` to `value` without its control characters (CR, LF, NUL, ...: tabs become
    // blanks) and the blanks at either end. An empty or too long result leaves the headers as
    // they were.
    SetResult set(Header header, QStringView value);

    // The same headers without `header`.
    HttpHeaders without(Header header) const;

    bool isEmpty() const { return !d_; }
    // The value of `header`, empty when it is not set.
    QByteArray value(Header header) const;

    friend bool operator==(const HttpHeaders& a, const HttpHeaders& b);
    size_t hash(size_t seed) const;

private:
    struct Data : QSharedData {
        std::array<QByteArray, HeaderCount> values;
    };
    QSharedDataPointer<Data> d_;
};

inline size_t qHash(const HttpHeaders& headers, size_t seed = 0) {
    return headers.hash(seed);
}

// A stream address with the HTTP headers its list asks for.
struct StreamAddress {
    QString url;
    HttpHeaders headers;

    StreamAddress() = default;
    // An address alone, as the built-in stations and the alarm's sound file have it.
    StreamAddress(QString address) : url(std::move(address)) {} // NOLINT: implicit on purpose
    StreamAddress(QString address, HttpHeaders http)
        : url(std::move(address)), headers(std::move(http)) {}

    friend bool operator==(const StreamAddress&, const StreamAddress&) = default;
};

} // namespace orvanto
