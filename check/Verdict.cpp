#include "check/Verdict.h"

#include "net/PlaylistParser.h"

#include <array>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

// Each kind's machine name and its words for a person, in the order of Verdict::Kind.
struct KindNames {
    Verdict::Kind kind;
    const char* key;
    const char* text;
};
constexpr std::array<KindNames, 12> kKindNames{{
    {Verdict::Kind::NotChecked, "not-checked", "not checked"},
    {Verdict::Kind::Plays, "plays", "plays"},
    {Verdict::Kind::Refused, "refused", "refused"},
    {Verdict::Kind::HostNotFound, "host-not-found", "host not found"},
    {Verdict::Kind::HttpStatus, "http-status", "HTTP status %1"},
    {Verdict::Kind::TimedOut, "timed-out", "timed out (no data)"},
    {Verdict::Kind::NotMedia, "not-media", "not media (HTML/garbage)"},
    {Verdict::Kind::EmptyPlaylist, "empty-playlist", "playlist with no playable entry"},
    {Verdict::Kind::EndedAtOnce, "ended-at-once", "ended at once"},
    {Verdict::Kind::Unsupported, "unsupported", "the player cannot open %1:// addresses"},
    {Verdict::Kind::TooManyRedirects, "too-many-redirects", "too many redirects"},
    {Verdict::Kind::FileNotFound, "file-not-found", "file not found"},
}};

const KindNames& namesOf(Verdict::Kind kind) {
    for (const KindNames& names : kKindNames) {
        if (names.kind == kind) {
            return names;
        }
    }
    return kKindNames[0];
}

} // namespace

QString verdictKey(Verdict::Kind kind) {
    return QString::fromLatin1(namesOf(kind).key);
}

namespace {

QString kindText(const Verdict& verdict) {
    const QString text = QString::fromLatin1(namesOf(verdict.kind).text);
    if (verdict.kind == Verdict::Kind::HttpStatus) {
        return text.arg(verdict.httpStatus);
    }
    if (verdict.kind == Verdict::Kind::Unsupported) {
        return text.arg(verdict.scheme);
    }
    if (verdict.kind == Verdict::Kind::HostNotFound && verdict.noAnswer) {
        return text + u" (no answer)"_s;
    }
    if (verdict.kind != Verdict::Kind::Plays) {
        return text;
    }
    QStringList details = verdict.codecs;
    if (verdict.videoSize.isValid() && !verdict.videoSize.isEmpty()) {
        details << u"%1x%2"_s.arg(verdict.videoSize.width()).arg(verdict.videoSize.height());
    }
    return details.isEmpty() ? text : u"%1 (%2)"_s.arg(text, details.join(u", "_s));
}

} // namespace

QString verdictText(const Verdict& verdict) {
    const QString text = kindText(verdict);
    return verdict.playlistEntriesLeftOut > 0
               ? text + u"; "_s + entriesLeftOutText(verdict.playlistEntriesLeftOut)
               : text;
}

QString entriesLeftOutText(int count) {
    return u"%1 playlist %2 beyond the first %3 not tried"_s.arg(count)
        .arg(count == 1 ? u"entry"_s : u"entries"_s)
        .arg(PlaylistParser::MaxEntries);
}

} // namespace orvanto
