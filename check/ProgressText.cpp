#include "check/ProgressText.h"

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

QString clock(qint64 ms) {
    const qint64 s = ms / 1000;
    return s >= 3600 ? u"%1:%2:%3"_s.arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : u"%1:%2"_s.arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString progressText(int done, int total, int playing, qint64 elapsedMs) {
    QString text = u"Checked %1/%2, %3 play, %4 elapsed"_s.arg(done).arg(total).arg(playing).arg(
        clock(elapsedMs));
    if (done > 0 && done < total) {
        const qint64 left = elapsedMs * (total - done) / done;
        text += u", about %1 left"_s.arg(clock(left));
    }
    return text;
}

} // namespace orvanto
