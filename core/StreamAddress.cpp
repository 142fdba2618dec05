#include "core/StreamAddress.h"

#include <QHashFunctions>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

struct Known {
    QLatin1StringView name;
    HttpHeaders::Header header;
};

constexpr std::array<Known, 5> KnownNames{{
    {"User-Agent"_L1, HttpHeaders::Header::UserAgent},
    {"Referer"_L1, HttpHeaders::Header::Referer},
    {"Referrer"_L1, HttpHeaders::Header::Referer},
    {"Origin"_L1, HttpHeaders::Header::Origin},
    {"Cookie"_L1, HttpHeaders::Header::Cookie},
}};

bool isControl(char16_t c) {
    return c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0) || c == 0x2028 || c == 0x2029;
}

} // namespace

QByteArrayView HttpHeaders::name(Header header) {
    switch (header) {
    case Header::UserAgent:
        return "User-Agent";
    case Header::Referer:
        return "Referer";
    case Header::Origin:
        return "Origin";
    case Header::Cookie:
        return "Cookie";
    }
    return {};
}

std::optional<HttpHeaders::Header> HttpHeaders::named(QStringView name) {
    for (const Known& known : KnownNames) {
        if (name.compare(known.name, Qt::CaseInsensitive) == 0) {
            return known.header;
        }
    }
    return std::nullopt;
}

HttpHeaders::SetResult HttpHeaders::set(Header header, QStringView value) {
    QString clean;
    clean.reserve(qMin(value.size(), MaxValueLength + 1));
    for (QChar c : value) {
        if (c == u'\t') {
            clean += u' ';
        } else if (!isControl(c.unicode())) {
            clean += c;
        }
        if (clean.size() > MaxValueLength + 1) {
            break; // too long already, whatever blanks may still be trimmed
        }
    }
    clean = clean.trimmed();
    if (clean.isEmpty()) {
        return SetResult::Empty;
    }
    if (clean.size() > MaxValueLength) {
        return SetResult::TooLong;
    }
    if (!d_) {
        d_ = new Data;
    }
    d_->values[static_cast<size_t>(header)] = clean.toUtf8();
    return SetResult::Set;
}

HttpHeaders HttpHeaders::without(Header header) const {
    if (value(header).isEmpty()) {
        return *this;
    }
    HttpHeaders rest;
    for (int i = 0; i < HeaderCount; ++i) {
        if (i != static_cast<int>(header)) {
            rest.set(static_cast<Header>(i), QString::fromUtf8(d_->values[size_t(i)]));
        }
    }
    return rest;
}

QByteArray HttpHeaders::value(Header header) const {
    return d_ ? d_->values[static_cast<size_t>(header)] : QByteArray();
}

bool operator==(const HttpHeaders& a, const HttpHeaders& b) {
    if (a.d_ == b.d_) {
        return true;
    }
    return a.d_ && b.d_ && a.d_->values == b.d_->values;
}

size_t HttpHeaders::hash(size_t seed) const {
    return d_ ? qHashRange(d_->values.begin(), d_->values.end(), seed) : seed;
}

} // namespace orvanto
