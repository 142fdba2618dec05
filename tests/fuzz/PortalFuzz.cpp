// libFuzzer target for what a provider's portal sends: the streaming JSON item reader fed in
// pieces of every size, the login's reader, and each item made a channel entry.
// Built only with ORVANTO_FUZZ=ON and clang; run by scripts/fuzz.sh.

#include "core/ShownAddress.h"
#include "net/JsonItems.h"
#include "net/PortalChannels.h"
#include "net/PortalLogin.h"

#include <QByteArrayView>
#include <cstdint>
#include <cstdlib>

using namespace orvanto;

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    // The first byte chooses the size of the pieces the rest arrives in.
    const qsizetype step = 1 + data[0] % 97;
    const QByteArrayView body(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    PortalAccount account;
    account.server = QUrl(QStringLiteral("http://portal.example:8080"));
    account.user = QStringLiteral("me");
    account.password = QStringLiteral("s3cret");
    PortalLogin login;
    login.timeZone = "Europe/Berlin";
    PortalCategories categories;
    JsonItems items([&](const QJsonObject& item) {
        readPortalCategory(item, categories);
        if (const std::optional<M3uEntry> entry = portalEntry(item, account, login, categories)) {
            check(!entry->name.isEmpty() && entry->name.size() <= 200);
            check(entry->address.startsWith(QStringLiteral("http://portal.example:8080/live/")));
            check(!entry->name.contains(u'\n') && !entry->group.contains(u'\n'));
            check(!shownAddress(entry->address).contains(QStringLiteral("s3cret")));
        }
    });
    for (qsizetype at = 0; at < body.size(); at += step) {
        if (!items.feed(body.sliced(at, qMin(step, body.size() - at)))) {
            check(!items.error().isEmpty());
            break;
        }
    }
    items.finish();

    const PortalLoginRead read = readPortalLogin(200, body, 1765000000);
    // A login that is let in is an authorised one.
    check(!read.refusal.isEmpty() || read.login.authorised);
    check(read.login.message.size() <= 200 && read.login.timeZone.size() <= 64);
    return 0;
}
