#include "window/GuideText.h"

#include <QDateTime>
#include <QLocale>

namespace orvanto::GuideText {

using namespace Qt::Literals::StringLiterals;

namespace {

// The locale's short time, without seconds where it has them (as the C locale does).
QString clock(qint64 secs) {
    const QLocale locale;
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(u":ss"_s);
    return locale.toString(QDateTime::fromSecsSinceEpoch(secs).time(), format);
}

} // namespace

QString now(const ProgrammeSlot& slot, qint64 time) {
    const qint64 left = (slot.stop - time + 59) / 60;
    return u"%1 (%2 min left)"_s.arg(slot.title).arg(qMax<qint64>(left, 1));
}

QString next(const ProgrammeSlot& slot) {
    return clock(slot.start) + u' ' + slot.title;
}

QString span(qint64 start, qint64 stop) {
    return clock(start) + u"–"_s + clock(stop);
}

QString tip(const GuideSchedule::NowNext& nowNext, qint64 time) {
    QStringList lines;
    if (nowNext.now != nullptr) {
        lines << u"Now: "_s + now(*nowNext.now, time);
    }
    if (nowNext.next != nullptr) {
        lines << u"Next: "_s + next(*nowNext.next);
    }
    return lines.join(u'\n');
}

QString archiveLink(int index) {
    return u"archive:%1"_s.arg(index);
}

namespace {

int linkIndex(const QString& link, const QString& prefix) {
    if (!link.startsWith(prefix)) {
        return -1;
    }
    bool ok = false;
    const int index = link.sliced(prefix.size()).toInt(&ok);
    return ok && index >= 0 ? index : -1;
}

} // namespace

int archiveIndex(const QString& link) {
    return linkIndex(link, u"archive:"_s);
}

QString recordLink(int index) {
    return u"record:%1"_s.arg(index);
}

int recordIndex(const QString& link) {
    return linkIndex(link, u"record:"_s);
}

QString day(const QString& channel, const QDate& date, const std::vector<Programme>& programmes,
            qint64 time, bool inGuide, const std::vector<bool>& playable, bool recordable,
            const std::vector<bool>& scheduled) {
    QString html = u"<p><b>%1</b> — %2</p>"_s.arg(channel.toHtmlEscaped(),
                                                  QLocale().toString(date, QLocale::LongFormat));
    if (!inGuide) {
        return html + u"<p>The guide does not know this channel.</p>"_s;
    }
    if (programmes.empty()) {
        return html + u"<p>The guide has no programmes for this channel on that day.</p>"_s;
    }
    for (size_t i = 0; i < programmes.size(); ++i) {
        const Programme& p = programmes[i];
        const bool on = p.start <= time && time < p.stop;
        const bool archived = i < playable.size() && playable[i];
        const QString link = archiveLink(static_cast<int>(i));
        QString heading = span(p.start, p.stop) + u"  "_s + p.title.toHtmlEscaped();
        if (archived && !on) {
            heading = u"<a href=\"%1\">▶ %2</a>"_s.arg(link, heading);
        }
        if (on) {
            heading = u"<a name=\"now\"></a><b>"_s + heading + u"</b>"_s;
            if (archived) {
                heading += u"  <a href=\"%1\">From the start</a>"_s.arg(link);
            }
        }
        if (recordable && time < p.stop) {
            heading += i < scheduled.size() && scheduled[i]
                           ? u"  <i>Scheduled</i>"_s
                           : u"  <a href=\"%1\">Record</a>"_s.arg(recordLink(static_cast<int>(i)));
        }
        QStringList details;
        if (!p.subTitle.isEmpty()) {
            details << u"<i>%1</i>"_s.arg(p.subTitle.toHtmlEscaped());
        }
        if (!p.episode.isEmpty()) {
            details << p.episode.toHtmlEscaped();
        }
        if (!p.categories.isEmpty()) {
            details << p.categories.join(u", "_s).toHtmlEscaped();
        }
        if (!p.rating.isEmpty()) {
            details << u"rated %1"_s.arg(p.rating.toHtmlEscaped());
        }
        html += u"<p>"_s + heading;
        if (!details.isEmpty()) {
            html += u"<br>"_s + details.join(u" · "_s);
        }
        if (!p.description.isEmpty()) {
            html += u"<br>"_s + p.description.toHtmlEscaped();
        }
        html += u"</p>"_s;
    }
    return html;
}

} // namespace orvanto::GuideText
