#pragma once

#include <QString>
#include <QStringList>

namespace orvanto {

// One programme of a guide. Times are seconds since the epoch (UTC).
struct Programme {
    qint64 start = 0;
    qint64 stop = 0;
    QString title;
    QString subTitle;
    QString description;
    QStringList categories;
    QString episode;   // as the guide shows it ("S2 E5", "Episode 12")
    QString icon;      // an image address
    QString rating;    // "PG", "12", ...
    QString catchupId; // what the channel's archive calls the programme (catchup-id), if anything
};

} // namespace orvanto
