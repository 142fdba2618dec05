#include "catalogue/ArchiveAddress.h"

#include "catalogue/PlaylistText.h"
#include "core/AddressPolicy.h"

#include <QDateTime>
#include <QLatin1StringView>
#include <QTimeZone>
#include <QUrl>
#include <initializer_list>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;
using Kind = Catchup::Kind;

ArchiveAddress refused(const QString& why) {
    ArchiveAddress address;
    address.problem = why;
    return address;
}

bool hasControlCharacters(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            return true;
        }
    }
    return false;
}

QString joined(std::initializer_list<QStringView> parts) {
    QString out;
    for (QStringView part : parts) {
        out.append(part);
    }
    return out;
}

// Whether a template is a whole address of its own (it names a scheme, or begins with a
// placeholder that stands for one), not a tail of the channel's address.
bool isWholeAddress(QStringView text) {
    if (text.startsWith(u'{') || text.startsWith("${"_L1)) {
        return true;
    }
    qsizetype i = 0;
    while (i < text.size() &&
           (text[i].isLetter() || (i > 0 && (text[i].isDigit() || text[i] == u'+' ||
                                             text[i] == u'-' || text[i] == u'.')))) {
        ++i;
    }
    return i > 0 && i < text.size() && text[i] == u':';
}

// The parts of an address as text, so that what is kept stays byte for byte as written: up to
// the path ("http://host:port"), the path, and the query with its '?' (or empty).
struct AddressParts {
    QStringView origin;
    QStringView path;
    QStringView query;
};
bool split(QStringView address, AddressParts& parts) {
    const qsizetype scheme = address.indexOf("://"_L1);
    if (scheme <= 0) {
        return false;
    }
    qsizetype query = address.indexOf(u'?');
    const qsizetype fragment = address.indexOf(u'#');
    if (query < 0 || (fragment >= 0 && fragment < query)) {
        query = fragment >= 0 ? fragment : address.size();
    }
    qsizetype path = address.indexOf(u'/', scheme + 3);
    if (path < 0 || path > query) {
        path = query;
    }
    parts.origin = address.first(path);
    parts.path = address.sliced(path, query - path);
    parts.query = address.sliced(query);
    return true;
}

// A Flussonic stream's address made its archive's: the kind of stream tells the form.
QString flussonicTemplate(QStringView live, QString& problem) {
    AddressParts parts;
    const qsizetype slash = split(live, parts) ? parts.path.lastIndexOf(u'/') : -1;
    if (slash < 0) {
        problem = u"the address is not one a Flussonic archive is made of"_s;
        return {};
    }
    const QStringView base = parts.path.first(slash + 1);
    const QStringView name = parts.path.sliced(slash + 1);
    QString tail;
    if (name == "mpegts"_L1) {
        tail = u"timeshift_abs-{utc}.ts"_s;
    } else if (name == "index.m3u8"_L1) {
        tail = u"timeshift_rel-{offset:1}.m3u8"_s;
    } else if (name.endsWith(".m3u8"_L1) && name.size() > 5) {
        tail = name.chopped(5).toString() + u"-timeshift_rel-{offset:1}.m3u8"_s;
    } else {
        problem = u"the address is not one a Flussonic archive is made of (it ends neither in "
                  u"mpegts nor in .m3u8)"_s;
        return {};
    }
    return joined({parts.origin, base, tail, parts.query});
}

// An Xtream-style portal's live address (http://host[:port][/live]/USER/PASS/ID[.ext]) made its
// archive's.
QString xcTemplate(QStringView live, QString& problem) {
    AddressParts parts;
    if (!split(live, parts)) {
        problem = u"the address is not one of an Xtream-style portal"_s;
        return {};
    }
    QList<QStringView> segments;
    for (QStringView segment : parts.path.split(u'/', Qt::SkipEmptyParts)) {
        segments << segment;
    }
    if (segments.size() == 4 && segments.first() == "live"_L1) {
        segments.removeFirst();
    }
    if (segments.size() != 3) {
        problem = u"the address is not one of an Xtream-style portal (…/USER/PASSWORD/ID)"_s;
        return {};
    }
    QString id = segments[2].toString();
    if (!id.contains(u'.')) {
        id += u".ts"_s;
    }
    return joined({parts.origin, u"/timeshift/", segments[0], u"/", segments[1],
                   u"/{duration:60}/{Y}-{m}-{d}:{H}-{M}/", id, parts.query});
}

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, u'0');
}

// The values placeholders stand for.
class Values {
public:
    Values(const Catchup& catchup, const ArchiveRequest& request)
        : request_(request), correction_(catchup.correctionSeconds) {
        const QTimeZone named(catchup.timeZone);
        zone_ = !catchup.timeZone.isEmpty() && named.isValid() ? named : QTimeZone::utc();
    }

    // The value of placeholder `name` (with `argument` after a colon, if any); false when it
    // is no placeholder this knows.
    bool value(QStringView name, QStringView argument, bool hasArgument, QString& out) const {
        const qint64 from = request_.from + correction_;
        const qint64 stop = request_.stop + correction_;
        const qint64 now = request_.now + correction_;
        const auto moment = [&](qint64 time) {
            out = hasArgument ? formatted(time, argument) : QString::number(time);
            return !hasArgument || !argument.isEmpty();
        };
        if (name == "utc"_L1 || name == "start"_L1) {
            return moment(from);
        }
        if (name == "utcend"_L1 || name == "end"_L1) {
            return moment(stop);
        }
        if (name == "lutc"_L1 || name == "now"_L1 || name == "timestamp"_L1) {
            return moment(now);
        }
        if (name == "duration"_L1 || name == "offset"_L1) {
            const qint64 seconds =
                name == "duration"_L1 ? qMax<qint64>(0, stop - from) : qMax<qint64>(0, now - from);
            qint64 divisor = 1;
            if (hasArgument) {
                bool ok = false;
                divisor = argument.toLongLong(&ok);
                if (!ok || divisor <= 0) {
                    return false;
                }
            }
            out = QString::number(seconds / divisor);
            return true;
        }
        if (name == "catchup-id"_L1 && !hasArgument) {
            out = request_.catchupId;
            return true;
        }
        if (name.size() == 1 && !hasArgument && QStringView(u"YmdHMS").contains(name.front())) {
            out = formatted(from, name);
            return true;
        }
        return false;
    }

private:
    // `format`'s letters Y m d H M S made the parts of `time`; anything else as it is.
    QString formatted(qint64 time, QStringView format) const {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(time, zone_);
        QString out;
        for (const QChar c : format) {
            switch (c.unicode()) {
            case u'Y':
                out += QString::number(at.date().year());
                break;
            case u'm':
                out += twoDigits(at.date().month());
                break;
            case u'd':
                out += twoDigits(at.date().day());
                break;
            case u'H':
                out += twoDigits(at.time().hour());
                break;
            case u'M':
                out += twoDigits(at.time().minute());
                break;
            case u'S':
                out += twoDigits(at.time().second());
                break;
            default:
                out += c;
            }
        }
        return out;
    }

    const ArchiveRequest& request_;
    const qint64 correction_;
    QTimeZone zone_;
};

// `text` with its placeholders filled in, each value URL-encoded but one that begins it; false
// (with the placeholder named in `problem`) at one that is not known.
bool expand(QStringView text, const Values& values, QString& out, QString& problem) {
    out.reserve(text.size() + 64);
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const bool dollar = text[i] == u'$' && i + 1 < n && text[i + 1] == u'{';
        if (text[i] != u'{' && !dollar) {
            out += text[i++];
            continue;
        }
        const qsizetype open = dollar ? i + 1 : i;
        const qsizetype close = text.indexOf(u'}', open + 1);
        if (close < 0) {
            out += text[i++]; // a brace of its own; the address check decides about it
            continue;
        }
        const QStringView inside = text.sliced(open + 1, close - open - 1);
        const qsizetype colon = inside.indexOf(u':');
        const QStringView name = colon < 0 ? inside : inside.first(colon);
        const QStringView argument = colon < 0 ? QStringView() : inside.sliced(colon + 1);
        QString value;
        if (!values.value(name, argument, colon >= 0, value)) {
            problem = u"the archive's template names %1, which is no placeholder this player "
                      u"knows"_s.arg(elidedForMessage(text.sliced(i, close + 1 - i)));
            return false;
        }
        if (hasControlCharacters(value)) {
            problem = u"the guide's catch-up id holds control characters"_s;
            return false;
        }
        // A value that begins the address is the address itself (a guide whose catch-up ids are
        // whole addresses): it goes in as it is, and the address check below judges it.
        out += i == 0 ? value : QString::fromLatin1(QUrl::toPercentEncoding(value));
        i = close + 1;
        if (out.size() > AddressPolicy::MaxAddressLength) {
            break; // the length check below refuses it; no need to fill in the rest
        }
    }
    return true;
}

} // namespace

ArchiveAddress archiveAddress(const QString& live, const Catchup& catchup,
                              const ArchiveRequest& request) {
    if (!catchup.enabled()) {
        return refused(u"the channel has no archive"_s);
    }
    if (hasControlCharacters(catchup.source) || hasControlCharacters(live)) {
        return refused(u"the archive's template holds control characters"_s);
    }
    if (catchup.source.size() > AddressPolicy::MaxAddressLength) {
        return refused(u"the archive's template is longer than an address may be"_s);
    }
    const QString& source = catchup.source;
    QString pattern;
    QString problem;
    switch (catchup.kind) {
    case Kind::None:
        break;
    case Kind::Default:
    case Kind::Append:
        if (source.isEmpty()) {
            return refused(u"the list gives no archive address (catchup-source)"_s);
        }
        pattern = catchup.kind == Kind::Default && isWholeAddress(source) ? source : live + source;
        break;
    case Kind::Shift:
        pattern = live + (live.contains(u'?') ? u'&' : u'?') + u"utc={utc}&lutc={lutc}"_s;
        break;
    case Kind::Flussonic:
        pattern = !source.isEmpty() ? (isWholeAddress(source) ? source : live + source)
                                    : flussonicTemplate(live, problem);
        break;
    case Kind::Xc:
        pattern = !source.isEmpty() ? (isWholeAddress(source) ? source : live + source)
                                    : xcTemplate(live, problem);
        break;
    case Kind::Vod:
        if (source.isEmpty()) {
            return refused(u"the list gives no archive address (catchup-source)"_s);
        }
        if (request.catchupId.isEmpty()) {
            return refused(u"the guide gives this programme no catch-up id"_s);
        }
        pattern = isWholeAddress(source) ? source : live + source;
        break;
    }
    if (pattern.isEmpty()) {
        return refused(problem);
    }
    QString url;
    if (!expand(pattern, Values(catchup, request), url, problem)) {
        return refused(problem);
    }
    if (url.size() > AddressPolicy::MaxAddressLength) {
        return refused(u"the archive's address would be longer than %1 characters"_s.arg(
            AddressPolicy::MaxAddressLength));
    }
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != u"http"_s && scheme != u"https"_s) ||
        parsed.host().isEmpty()) {
        return refused(u"the archive's template makes no valid http(s) address"_s);
    }
    ArchiveAddress address;
    address.url = url;
    address.seeksByAddress = catchup.kind == Kind::Shift || catchup.kind == Kind::Flussonic;
    return address;
}

} // namespace orvanto
