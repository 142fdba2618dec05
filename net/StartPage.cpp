#include "net/StartPage.h"

#include "core/HttpRequest.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace orvanto::StartPage {

void request(QNetworkAccessManager& network, const QUrl& url) {
    QNetworkReply* reply = network.get(httpRequest(url));
    reply->setReadBufferSize(1);
    // The headers are all there is to wait for; abort() ends in finished().
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, [reply] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const bool redirect = status >= 300 && status < 400; // followed by the manager
        if (status != 0 && !redirect) {
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

} // namespace orvanto::StartPage
