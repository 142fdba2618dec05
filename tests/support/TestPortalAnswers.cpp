#include "support/TestPortalAnswers.h"

#include <QDateTime>
#include <QTimeZone>
#include <algorithm>
#include <charconv>

namespace orvanto::test::portal {

const QStringList State::GeneratedCategories = {QStringLiteral("News"), QStringLiteral("Sports"),
                                                QStringLiteral("Movies"), QStringLiteral("Kids"),
                                                QStringLiteral("Music")};

void State::generate(int count) {
    channels_.clear();
    indexOfId_.clear();
    generated_ = std::max(count, 0);
    categories_ = GeneratedCategories;
    categoryIds_.clear();
    for (qsizetype i = 0; i < categories_.size(); ++i) {
        categoryIds_.insert(categories_[i], int(i + 1));
    }
}

void State::setChannels(const QList<Channel>& list) {
    channels_ = list;
    generated_ = 0;
    categories_.clear();
    categoryIds_.clear();
    indexOfId_.clear();
    for (qsizetype i = 0; i < list.size(); ++i) {
        indexOfId_.insert(list[i].id, i);
        if (!categoryIds_.contains(list[i].category)) {
            categories_ << list[i].category;
            categoryIds_.insert(list[i].category, int(categories_.size()));
        }
    }
}

qsizetype State::count() const {
    return generated_ > 0 ? generated_ : channels_.size();
}

Channel State::channel(qsizetype index) const {
    if (generated_ == 0) {
        return channels_[index];
    }
    const int n = static_cast<int>(index + 1);
    const QString number = QString::number(n);
    return {n,
            QStringLiteral("Channel ") + number,
            GeneratedCategories[index % GeneratedCategories.size()],
            QStringLiteral("ch") + number + QStringLiteral(".example"),
            n % 3 == 0,
            n % 3 == 0 ? 3 : 0};
}

qsizetype State::find(int id) const {
    if (generated_ > 0) {
        return id >= 1 && id <= generated_ ? id - 1 : -1;
    }
    return indexOfId_.value(id, -1);
}

namespace {

constexpr qsizetype PieceBytes = 256 * 1024;
constexpr qint64 Added = 1600000000; // "added" and "created_at"

void appendJson(QByteArray& out, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    out += '"';
    if (std::ranges::none_of(utf8, [](char c) {
            return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
        })) {
        out += utf8;
    } else {
        for (const char c : utf8) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out += QByteArray::number(static_cast<unsigned char>(c), 16).rightJustified(2, '0');
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

void appendNumber(QByteArray& out, qint64 value, bool quoted) {
    char digits[24];
    char* end = std::to_chars(digits + 1, digits + sizeof digits - 1, value).ptr;
    if (quoted) {
        digits[0] = '"';
        *end++ = '"';
        out.append(digits, end - digits);
    } else {
        out.append(digits + 1, end - digits - 1);
    }
}

// A name PHP's JSON_NUMERIC_CHECK sends as a number.
bool isNumeric(const QString& text) {
    return !text.isEmpty() && text.size() < 16 &&
           (text == QStringLiteral("0") || text[0] != u'0') &&
           std::ranges::all_of(text, [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QByteArray xml(const QString& text) {
    return text.toHtmlEscaped().toUtf8();
}

QString localTime(qint64 seconds, const QString& zoneName) {
    QTimeZone zone(zoneName.toUtf8());
    if (!zone.isValid()) {
        zone = QTimeZone::utc();
    }
    return QDateTime::fromSecsSinceEpoch(seconds, zone)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// The start of the K-th (from 0) programme of the guide around `now`.
qint64 slotStart(qint64 now, int k) {
    return now - now % 3600 + qint64(k) * 3600;
}

QString showTitle(int k, const QString& channel) {
    return QStringLiteral("Show %1 of %2").arg(k + 1).arg(channel);
}

QString showDescription(int k) {
    return QStringLiteral("Über Show %1").arg(k + 1);
}

// A list of `count` items written a piece at a time: an array, or an object when `keyed` (then
// `item` writes each item's key too).
Body list(qsizetype count, bool keyed, std::function<void(QByteArray&, qsizetype)> item) {
    return [=, next = qsizetype(-1)]() mutable {
        QByteArray out;
        if (next > count) {
            return out;
        }
        if (next < 0) {
            out += keyed ? '{' : '[';
            next = 0;
        }
        for (; next < count && out.size() < PieceBytes; ++next) {
            if (next > 0) {
                out += ',';
            }
            item(out, next);
        }
        if (next == count) {
            out += keyed ? '}' : ']';
            ++next;
        }
        return out;
    };
}

void appendStream(QByteArray& out, const State& s, qsizetype index, const QByteArray& base) {
    const Channel c = s.channel(index);
    const bool odd = index % 2 == 1;
    const bool asStrings = s.mixed && odd;  // numbers as strings
    const bool asNumbers = s.mixed && !odd; // numeric strings as numbers
    const QByteArray empty = s.mixed ? "null" : "\"\"";
    if (s.asObject) {
        out += '"' + QByteArray::number(c.id) + "\":";
    }
    out += R"({"num":)";
    appendNumber(out, index + 1, asStrings);
    out += R"(,"name":)";
    if (s.mixed && isNumeric(c.name)) {
        out += c.name.toLatin1();
    } else {
        appendJson(out, c.name);
    }
    out += R"(,"stream_type":"live","stream_id":)";
    appendNumber(out, c.id, asStrings);
    out += R"(,"stream_icon":)";
    if (asStrings) {
        out += "null";
    } else {
        out += '"' + base + "/logos/";
        appendNumber(out, c.id, false);
        out += ".png\"";
    }
    out += R"(,"epg_channel_id":)";
    if (c.epgId.isEmpty()) {
        out += empty;
    } else {
        appendJson(out, c.epgId);
    }
    out += R"(,"added":)";
    appendNumber(out, Added, !asNumbers);
    out += R"(,"category_id":)";
    appendNumber(out, s.categoryId(c.category), !asNumbers);
    out += R"(,"custom_sid":)" + empty + R"(,"tv_archive":)";
    appendNumber(out, c.archive ? 1 : 0, asStrings);
    out += R"(,"direct_source":)" + empty + R"(,"tv_archive_duration":)";
    appendNumber(out, c.archive ? c.archiveDays : 0, !asNumbers);
    out += '}';
}

} // namespace

QByteArray login(const State& state, quint16 port, qint64 now) {
    const bool quoted = !state.mixed;
    QByteArray out = R"({"user_info":{"username":)";
    appendJson(out, state.user);
    out += R"(,"password":)";
    appendJson(out, state.password);
    out += R"(,"message":"","auth":1,"status":)";
    appendJson(out, state.status);
    out += R"(,"exp_date":)";
    if (state.expiry == 0) {
        out += "null";
    } else {
        appendNumber(out, state.expiry, quoted);
    }
    const std::pair<const char*, qint64> numbers[] = {{"is_trial", state.trial ? 1 : 0},
                                                      {"active_cons", state.active},
                                                      {"created_at", Added},
                                                      {"max_connections", state.max}};
    for (const auto& [name, value] : numbers) {
        out += QByteArray(",\"") + name + "\":";
        appendNumber(out, value, quoted);
    }
    out += R"(,"allowed_output_formats":[)";
    for (qsizetype i = 0; i < state.formats.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        appendJson(out, state.formats[i]);
    }
    out += R"(]},"server_info":{"url":"127.0.0.1","port":)";
    appendNumber(out, port, quoted);
    out += R"(,"https_port":"","server_protocol":"http","rtmp_port":"","timezone":)";
    appendJson(out, state.zone);
    out += R"(,"timestamp_now":)" + QByteArray::number(now) + R"(,"time_now":)";
    appendJson(out, localTime(now, state.zone));
    return out + "}}";
}

Body categories(const State& state) {
    return list(state.categories().size(), state.asObject,
                [s = state](QByteArray& out, qsizetype i) {
                    const bool odd = s.mixed && i % 2 == 1;
                    const bool even = s.mixed && i % 2 == 0;
                    if (s.asObject) {
                        out += '"' + QByteArray::number(i + 1) + "\":";
                    }
                    out += R"({"category_id":)";
                    appendNumber(out, i + 1, !even);
                    out += R"(,"category_name":)";
                    appendJson(out, s.categories()[i]);
                    out += R"(,"parent_id":)";
                    appendNumber(out, 0, odd);
                    out += '}';
                });
}

Body streams(const State& state, const QString& categoryId, const QByteArray& base) {
    QList<qsizetype> only; // the indexes of the category's channels, if one was asked for
    const bool filtered = !categoryId.isEmpty();
    for (qsizetype i = 0; filtered && i < state.count(); ++i) {
        if (QString::number(state.categoryId(state.channel(i).category)) == categoryId) {
            only << i;
        }
    }
    return list(filtered ? only.size() : state.count(), state.asObject,
                [s = state, only, filtered, base](QByteArray& out, qsizetype position) {
                    appendStream(out, s, filtered ? only[position] : position, base);
                });
}

QByteArray shortEpg(const State& state, int streamId, int limit, qint64 now) {
    QByteArray out = R"({"epg_listings":[)";
    const qsizetype index = state.find(streamId);
    const Channel c = index >= 0 ? state.channel(index) : Channel{};
    for (int k = 0; !c.epgId.isEmpty() && k < limit; ++k) {
        const qint64 start = slotStart(now, k);
        out += k > 0 ? R"(,{"id":)" : R"({"id":)";
        appendNumber(out, qint64(c.id) * 1000 + k + 1, true);
        out += R"(,"epg_id":)";
        appendNumber(out, c.id, true);
        out += R"(,"title":")" + showTitle(k, c.name).toUtf8().toBase64() +
               R"(","lang":"en","start":)";
        appendJson(out, localTime(start, state.zone));
        out += R"(,"end":)";
        appendJson(out, localTime(start + 3600, state.zone));
        out +=
            R"(,"description":")" + showDescription(k).toUtf8().toBase64() + R"(","channel_id":)";
        appendJson(out, c.epgId);
        out += R"(,"start_timestamp":)";
        appendNumber(out, start, !state.mixed);
        out += R"(,"stop_timestamp":)";
        appendNumber(out, start + 3600, !state.mixed);
        out += '}';
    }
    return out + "]}";
}

Body xmltv(const State& state, qint64 now, const QByteArray& base) {
    QByteArrayList starts; // and the ends
    for (int k = 0; k <= GuideProgrammes; ++k) {
        starts << QDateTime::fromSecsSinceEpoch(slotStart(now, k), QTimeZone::utc())
                          .toString(QStringLiteral("yyyyMMddHHmmss"))
                          .toLatin1() +
                      " +0000";
    }
    // Phase 1 writes the channels, phase 2 their programmes.
    return [s = state, starts, base, phase = 0, next = qsizetype(0)]() mutable {
        QByteArray out;
        if (phase == 0) {
            out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<tv generator-info-name=\"Test portal\">\n";
            phase = 1;
        }
        for (; phase < 3 && out.size() < PieceBytes; ++next) {
            if (next == s.count()) {
                next = -1;
                ++phase;
                out += phase == 3 ? "</tv>\n" : "";
                continue;
            }
            const Channel c = s.channel(next);
            if (c.epgId.isEmpty()) {
                continue;
            }
            const QByteArray id = xml(c.epgId);
            if (phase == 1) {
                for (const QByteArray& part :
                     {QByteArray("<channel id=\""), id, QByteArray("\"><display-name>"),
                      xml(c.name), QByteArray("</display-name><icon src=\""), base,
                      QByteArray("/logos/"), QByteArray::number(c.id),
                      QByteArray(".png\"/></channel>\n")}) {
                    out += part;
                }
                continue;
            }
            const QByteArray name = xml(c.name);
            for (int k = 0; k < GuideProgrammes; ++k) {
                for (const QByteArray& part :
                     {QByteArray("<programme start=\""), starts[k], QByteArray("\" stop=\""),
                      starts[k + 1], QByteArray("\" channel=\""), id,
                      QByteArray("\"><title lang=\"en\">Show "), QByteArray::number(k + 1),
                      QByteArray(" of "), name, QByteArray("</title><desc lang=\"en\">"),
                      showDescription(k).toUtf8(), QByteArray("</desc></programme>\n")}) {
                    out += part;
                }
            }
        }
        if (phase == 3 && out.isEmpty()) {
            phase = 4;
        }
        return out;
    };
}

} // namespace orvanto::test::portal
