#pragma once

#include <QUrl>

class QObject;

namespace orvanto {

// The start page: requested once when the viewer comes up, for the station's statistics.
// Nothing reads the answer, so the connection is closed as soon as the server has answered its
// headers; whatever body follows, however long, is never taken in.
namespace StartPage {

inline const QUrl Address{QStringLiteral("http://tv.example.com/live/programma.asp")};

// The request lives no longer than `owner`.
void request(QObject& owner, const QUrl& url = Address);

} // namespace StartPage

} // namespace orvanto
