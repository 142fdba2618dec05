#include "check/Verdict.h"

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

QString verdictKey(Verdict::Kind kind) {
    switch (kind) {
    case Verdict::Kind::NotChecked:
        return u"not-checked"_s;
    case Verdict::Kind::Plays:
        return u"plays"_s;
    case Verdict::Kind::Refused:
        return u"refused"_s;
    case Verdict::Kind::HostNotFound:
        return u"host-not-found"_s;
    case Verdict::Kind::HttpStatus:
        return u"http-status"_s;
    case Verdict::Kind::TimedOut:
        return u"timed-out"_s;
    case Verdict::Kind::NotMedia:
        return u"not-media"_s;
    case Verdict::Kind::EmptyPlaylist:
        return u"empty-playlist"_s;
    case Verdict::Kind::EndedAtOnce:
        return u"ended-at-once"_s;
    }
    return u"not-checked"_s;
}

QString verdictText(const Verdict& verdict) {
    switch (verdict.kind) {
    case Verdict::Kind::NotChecked:
        return u"not checked"_s;
    case Verdict::Kind::Plays: {
        QStringList details = verdict.codecs;
        if (verdict.videoSize.isValid() && !verdict.videoSize.isEmpty()) {
            details << u"%1x%2"_s.arg(verdict.videoSize.width()).arg(verdict.videoSize.height());
        }
        return details.isEmpty() ? u"plays"_s : u"plays (%1)"_s.arg(details.join(u", "_s));
    }
    case Verdict::Kind::Refused:
        return u"refused"_s;
    case Verdict::Kind::HostNotFound:
        return u"host not found"_s;
    case Verdict::Kind::HttpStatus:
        return u"HTTP status %1"_s.arg(verdict.httpStatus);
    case Verdict::Kind::TimedOut:
        return u"timed out (no data)"_s;
    case Verdict::Kind::NotMedia:
        return u"not media (HTML/garbage)"_s;
    case Verdict::Kind::EmptyPlaylist:
        return u"playlist with no playable entry"_s;
    case Verdict::Kind::EndedAtOnce:
        return u"ended at once"_s;
    }
    return {};
}

} // namespace orvanto
