#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace orvanto::test::portal {

// The bodies TestPortal answers with, written from what the test set up.

struct Channel {
    int id = 0; // the stream_id
    QString name;
    QString category; // its name; categories are numbered from 1 in order of appearance
    QString epgId;    // empty: none
    bool archive = false;
    int archiveDays = 0;
};

// What the portal serves. Each request answers from a copy of it (the channels are shared, not
// copied).
struct State {
    // The categories generated channels cycle over: News, Sports, Movies, Kids, Music.
    static const QStringList GeneratedCategories;

    QString user;
    QString password;
    QString status = QStringLiteral("Active");
    qint64 expiry = 1767225600; // 0: unlimited
    bool trial = false;
    int active = 0;
    int max = 1;
    QStringList formats{QStringLiteral("m3u8"), QStringLiteral("ts")};
    QString zone = QStringLiteral("Europe/Berlin");
    qint64 now = 0; // 0: the real clock
    bool mixed = false;
    bool asObject = false;
    bool bareLogin = false;

    // Channel N (N from 1) of `count` generated ones has id N, name "Channel N", category
    // GeneratedCategories[(N-1)%5], guide id "chN.example", and when N is divisible by 3 an
    // archive of 3 days.
    void generate(int count);
    void setChannels(const QList<Channel>& list);
    qsizetype count() const;
    Channel channel(qsizetype index) const;
    // The index of the channel with `id`, or -1.
    qsizetype find(int id) const;
    // Category N is categories[N - 1].
    const QStringList& categories() const { return categories_; }
    int categoryId(const QString& name) const { return categoryIds_.value(name); }

private:
    QList<Channel> channels_;
    int generated_ = 0; // > 0: that many generated channels instead of channels_
    QStringList categories_;
    QHash<QString, int> categoryIds_;
    QHash<int, qsizetype> indexOfId_; // in channels_
};

// The next piece of an answer's body; empty at its end. Long lists are written a piece at a
// time as they are sent.
using Body = std::function<QByteArray()>;

// The guide of a channel with a guide id: one programme an hour from the hour that holds `now`,
// the K-th (from 1) titled "Show K of NAME" and described "Über Show K". The XMLTV document has
// GuideProgrammes of them a channel, as has the short guide unless asked for another number.
constexpr int GuideProgrammes = 4;

QByteArray login(const State& state, quint16 port, qint64 now);
Body categories(const State& state);
// The channels of category `categoryId` only, unless it is empty. Icons are under `base`
// ("http://HOST:PORT").
Body streams(const State& state, const QString& categoryId, const QByteArray& base);
// `limit` programmes of the channel with `streamId`, title and description base64-encoded.
QByteArray shortEpg(const State& state, int streamId, int limit, qint64 now);
// An XMLTV document: the channels with a guide id, then GuideProgrammes of each one's.
Body xmltv(const State& state, qint64 now, const QByteArray& base);

} // namespace orvanto::test::portal
