#include "desktop/DBusInhibit.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace orvanto {

namespace {

// How long the program's end waits for a service to take the release.
constexpr int ReleaseWaitMs = 1000;

const QString ScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString PortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString PortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
constexpr uint PortalIdle = 8; // the flag that keeps the session from going idle

// Calls `message` and hands `read(reply)` to `answer` once it is back (an invalid value on
// an error).
template <typename Reply, typename Read>
void ask(QDBusConnection& bus, const QDBusMessage& message, QObject* context,
         std::function<void(const QVariant&)> answer, Read read) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [watcher, answer = std::move(answer), read](QDBusPendingCallWatcher*) {
                         const QDBusPendingReply<Reply> reply = *watcher;
                         watcher->deleteLater();
                         answer(reply.isError() ? QVariant() : read(reply.value()));
                     });
}

} // namespace

FreedesktopScreenSaver::FreedesktopScreenSaver(const QDBusConnection& bus, QString application,
                                               QString reason, QObject* parent)
    : QObject(parent), bus_(bus), application_(std::move(application)), reason_(std::move(reason)) {
}

void FreedesktopScreenSaver::inhibit(std::function<void(const QVariant&)> answer) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        ScreenSaverService, ScreenSaverPath, ScreenSaverService, QStringLiteral("Inhibit"));
    call << application_ << reason_;
    ask<uint>(bus_, call, this, std::move(answer),
              [](uint cookie) { return QVariant::fromValue(cookie); });
}

void FreedesktopScreenSaver::release(const QVariant& hold) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        ScreenSaverService, ScreenSaverPath, ScreenSaverService, QStringLiteral("UnInhibit"));
    call << hold.toUInt();
    bus_.asyncCall(call);
}

void FreedesktopScreenSaver::releaseNow(const QVariant& hold) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        ScreenSaverService, ScreenSaverPath, ScreenSaverService, QStringLiteral("UnInhibit"));
    call << hold.toUInt();
    bus_.call(call, QDBus::Block, ReleaseWaitMs);
}

PortalInhibit::PortalInhibit(const QDBusConnection& bus, QString reason, QObject* parent)
    : QObject(parent), bus_(bus), reason_(std::move(reason)) {}

void PortalInhibit::inhibit(std::function<void(const QVariant&)> answer) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        PortalService, PortalPath, QStringLiteral("org.freedesktop.portal.Inhibit"),
        QStringLiteral("Inhibit"));
    call << QString() << PortalIdle << QVariantMap{{QStringLiteral("reason"), reason_}};
    ask<QDBusObjectPath>(bus_, call, this, std::move(answer), [](const QDBusObjectPath& handle) {
        return QVariant::fromValue(handle.path());
    });
}

void PortalInhibit::release(const QVariant& hold) {
    bus_.asyncCall(QDBusMessage::createMethodCall(PortalService, hold.toString(),
                                                  QStringLiteral("org.freedesktop.portal.Request"),
                                                  QStringLiteral("Close")));
}

void PortalInhibit::releaseNow(const QVariant& hold) {
    bus_.call(QDBusMessage::createMethodCall(PortalService, hold.toString(),
                                             QStringLiteral("org.freedesktop.portal.Request"),
                                             QStringLiteral("Close")),
              QDBus::Block, ReleaseWaitMs);
}

} // namespace orvanto
