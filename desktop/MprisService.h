#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace orvanto {

class MprisPlayer;
class MprisPlayerAdaptor;
class MprisRootAdaptor;
struct MprisChanges;

// Puts an MprisPlayer on a bus as org.mpris.MediaPlayer2.orvanto_tv (a second viewer takes
// ….orvanto_tv.instance<pid>), at /org/mpris/MediaPlayer2, and announces every change of its
// properties with org.freedesktop.DBus.Properties.PropertiesChanged. Media keys, the shells'
// player controls and playerctl find it there.
class MprisService : public QObject {
    Q_OBJECT
public:
    static constexpr const char* ObjectPath = "/org/mpris/MediaPlayer2";

    // `player` outlives the service. Without a bus (none running), nothing is registered.
    MprisService(MprisPlayer& player, const QDBusConnection& bus, QObject* parent = nullptr);
    ~MprisService() override;

    // The name taken on the bus; empty when registering failed.
    const QString& serviceName() const { return name_; }

private:
    void announce(const MprisChanges& changes);

    MprisPlayer& player_;
    QDBusConnection bus_;
    QObject* object_ = nullptr; // what the bus sees at ObjectPath: the two adaptors' parent
    MprisRootAdaptor* root_ = nullptr;
    MprisPlayerAdaptor* playerInterface_ = nullptr;
    QString name_;
};

} // namespace orvanto
