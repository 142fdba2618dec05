#pragma once

#include "desktop/InhibitService.h"

#include <QDBusConnection>
#include <QObject>

namespace orvanto {

// org.freedesktop.ScreenSaver's Inhibit and UnInhibit (KDE, Xfce, LXQt, GNOME's compatibility
// service), on a session bus.
class FreedesktopScreenSaver final : public QObject, public InhibitService {
    Q_OBJECT
public:
    FreedesktopScreenSaver(const QDBusConnection& bus, QString application, QString reason,
                           QObject* parent = nullptr);

    void inhibit(std::function<void(const QVariant& hold)> answer) override;
    void release(const QVariant& hold) override;
    void releaseNow(const QVariant& hold) override;

private:
    QDBusConnection bus_;
    QString application_;
    QString reason_;
};

// The desktop portal's Inhibit (org.freedesktop.portal.Inhibit, idle only), where a portal runs:
// the hold is the request's handle, closed to let it go.
class PortalInhibit final : public QObject, public InhibitService {
    Q_OBJECT
public:
    PortalInhibit(const QDBusConnection& bus, QString reason, QObject* parent = nullptr);

    void inhibit(std::function<void(const QVariant& hold)> answer) override;
    void release(const QVariant& hold) override;
    void releaseNow(const QVariant& hold) override;

private:
    QDBusConnection bus_;
    QString reason_;
};

} // namespace orvanto
