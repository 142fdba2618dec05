#include "check/CheckReport.h"

#include "core/ShownAddress.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

QString seconds(qint64 ms) {
    return QString::number(double(ms) / 1000.0, 'f', 1) + u" s"_s;
}

QJsonObject addressJson(const CheckAddress& address) {
    const Verdict& verdict = address.verdict;
    QJsonObject object{
        {u"address"_s, shownAddress(address.address)},
        {u"verdict"_s, verdictKey(verdict.kind)},
        {u"text"_s, shownAddress(verdictText(verdict))},
        {u"seconds"_s, double(verdict.elapsedMs) / 1000.0},
    };
    if (verdict.kind == Verdict::Kind::HttpStatus) {
        object.insert(u"httpStatus"_s, verdict.httpStatus);
    }
    if (verdict.playlistEntriesLeftOut > 0) {
        object.insert(u"entriesLeftOut"_s, verdict.playlistEntriesLeftOut);
    }
    if (verdict.plays()) {
        object.insert(u"codecs"_s, QJsonArray::fromStringList(verdict.codecs));
        if (verdict.videoSize.isValid() && !verdict.videoSize.isEmpty()) {
            object.insert(u"width"_s, verdict.videoSize.width());
            object.insert(u"height"_s, verdict.videoSize.height());
        }
        object.insert(u"finalAddress"_s, shownAddress(verdict.finalAddress));
    }
    return object;
}

void writeAddress(QByteArray& out, const QString& name, const CheckAddress& address) {
    if (address.directives.isEmpty()) {
        out += "#EXTINF:-1," + name.toUtf8() + '\n';
    }
    for (const QString& line : address.directives) {
        out += line.toUtf8() + '\n';
    }
    out += address.address.toUtf8() + address.addressOptions.toUtf8() + '\n';
}

void writeStation(QByteArray& out, const CheckStation& station, bool dropDead) {
    for (const CheckAddress& address : station.addresses) {
        if (address.verdict.plays()) {
            writeAddress(out, station.name, address);
        }
    }
    if (dropDead) {
        return;
    }
    for (const CheckAddress& address : station.addresses) {
        if (!address.verdict.plays()) {
            writeAddress(out, station.name, address);
        }
    }
}

} // namespace

CheckTotals checkTotals(const CheckList& list) {
    CheckTotals totals;
    for (const CheckStation& station : list.stations) {
        ++totals.stations;
        const int playing = station.playing();
        totals.stationsPlaying += playing > 0 ? 1 : 0;
        totals.addressesPlaying += playing;
        for (const CheckAddress& address : station.addresses) {
            ++totals.addresses;
            totals.addressesChecked += address.verdict.kind != Verdict::Kind::NotChecked ? 1 : 0;
        }
    }
    return totals;
}

int checkExitStatus(const CheckTotals& totals) {
    return totals.stationsPlaying == totals.stations ? 0 : 1;
}

QString stationLines(const CheckList& list) {
    QString text;
    for (const CheckStation& station : list.stations) {
        const int count = static_cast<int>(station.addresses.size());
        text += u"%1: %2 of %3 play"_s.arg(station.name).arg(station.playing()).arg(count);
        const QString first = station.firstPlaying();
        if (!first.isEmpty()) {
            text += u": "_s + shownAddress(first);
        }
        int leftOut = 0;
        for (const CheckAddress& address : station.addresses) {
            leftOut += address.verdict.playlistEntriesLeftOut;
        }
        if (leftOut > 0) {
            text += u" ("_s + entriesLeftOutText(leftOut) + u')';
        }
        text += u'\n';
    }
    return text;
}

QString summaryText(const CheckTotals& totals, qint64 elapsedMs, bool interrupted) {
    QString text;
    if (interrupted) {
        text += u"Interrupted: %1 of %2 addresses checked.\n"_s.arg(totals.addressesChecked)
                    .arg(totals.addresses);
    }
    text += u"Stations with a working address: %1 of %2\n"_s.arg(totals.stationsPlaying)
                .arg(totals.stations);
    text += u"Addresses that play: %1 of %2\n"_s.arg(totals.addressesPlaying).arg(totals.addresses);
    text += u"Time taken: %1\n"_s.arg(seconds(elapsedMs));
    return text;
}

QByteArray checkJson(const CheckList& list, const QString& source,
                     const std::function<qint64()>& elapsedMs) {
    QJsonArray stations;
    for (const CheckStation& station : list.stations) {
        QJsonArray addresses;
        for (const CheckAddress& address : station.addresses) {
            addresses.append(addressJson(address));
        }
        stations.append(QJsonObject{
            {u"name"_s, station.name},
            {u"playing"_s, station.playing()},
            {u"addresses"_s, addresses},
        });
    }
    // The stations, the bulk of the text, are written first, so that the time taken covers
    // writing them; they go last into the document, one level in.
    QByteArray stationsText = QJsonDocument(stations).toJson(QJsonDocument::Indented).trimmed();
    stationsText.replace('\n', "\n    "); // the text's own line breaks are all escaped
    const CheckTotals totals = checkTotals(list);
    const QJsonObject root{
        {u"list"_s, source},
        {u"seconds"_s, double(elapsedMs()) / 1000.0},
        {u"totals"_s,
         QJsonObject{
             {u"stations"_s, totals.stations},
             {u"stationsPlaying"_s, totals.stationsPlaying},
             {u"addresses"_s, totals.addresses},
             {u"addressesChecked"_s, totals.addressesChecked},
             {u"addressesPlaying"_s, totals.addressesPlaying},
         }},
    };
    QByteArray text = QJsonDocument(root).toJson(QJsonDocument::Indented).trimmed();
    text.chop(1); // the closing brace
    return text.trimmed() + ",\n    \"stations\": " + stationsText + "\n}\n";
}

QByteArray checkJson(const CheckList& list, const QString& source, qint64 elapsedMs) {
    return checkJson(list, source, [elapsedMs] { return elapsedMs; });
}

QByteArray checkedM3u(const CheckList& list, bool dropDead) {
    QByteArray out = list.header.toUtf8() + '\n';
    for (const CheckStation& station : list.stations) {
        if (station.playing() > 0) {
            writeStation(out, station, dropDead);
        }
    }
    if (!dropDead) {
        for (const CheckStation& station : list.stations) {
            if (station.playing() == 0) {
                writeStation(out, station, false);
            }
        }
    }
    return out;
}

} // namespace orvanto
