#include "net/StartPage.h"

#include "core/HttpRequest.h"
#include "net/HttpGet.h"

namespace orvanto::StartPage {

void request(QObject& owner, const QUrl& url) {
    auto* get = new HttpGet(&owner);
    // The head is all there is to wait for (after redirects, which HttpGet follows).
    QObject::connect(get, &HttpGet::headReceived, get, [get] {
        get->abort();
        get->deleteLater();
    });
    QObject::connect(get, &HttpGet::finished, get, &QObject::deleteLater);
    get->start(httpRequest(url));
}

} // namespace orvanto::StartPage
