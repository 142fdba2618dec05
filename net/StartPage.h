#pragma once

#include <QUrl>

class QNetworkAccessManager;

namespace orvanto {

// The start page: requested once when the viewer comes up, for the station's statistics.
// Nothing reads the answer, so the request is dropped as soon as the server has answered its
// headers; whatever body follows, however long, is never taken in.
namespace StartPage {

inline const QUrl Address{QStringLiteral("http://tv.example.com/live/programma.asp")};

void request(QNetworkAccessManager& network, const QUrl& url = Address);

} // namespace StartPage

} // namespace orvanto
