#include "desktop/MprisService.h"

#include "desktop/MprisAdaptors.h"
#include "desktop/MprisPlayer.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QMetaProperty>

namespace orvanto {

namespace {

const QString BaseName = QStringLiteral("org.mpris.MediaPlayer2.orvanto_tv");

QVariantMap values(const QObject* adaptor, const QStringList& names) {
    QVariantMap map;
    const QMetaObject* meta = adaptor->metaObject();
    for (const QString& name : names) {
        const int index = meta->indexOfProperty(name.toLatin1().constData());
        if (index >= 0) {
            map.insert(name, meta->property(index).read(adaptor));
        }
    }
    return map;
}

} // namespace

MprisService::MprisService(MprisPlayer& player, const QDBusConnection& bus, QObject* parent)
    : QObject(parent), player_(player), bus_(bus) {
    if (!bus_.isConnected()) {
        return;
    }
    object_ = new QObject(this);
    root_ = new MprisRootAdaptor(player_, object_);
    playerInterface_ = new MprisPlayerAdaptor(player_, object_);
    if (!bus_.registerObject(QString::fromLatin1(ObjectPath), object_,
                             QDBusConnection::ExportAdaptors)) {
        return;
    }
    for (const QString& name :
         {BaseName, BaseName + QStringLiteral(".instance") +
                        QString::number(QCoreApplication::applicationPid())}) {
        if (bus_.registerService(name)) {
            name_ = name;
            break;
        }
    }
    connect(&player_, &MprisPlayer::changed, this, &MprisService::announce);
}

MprisService::~MprisService() {
    if (!name_.isEmpty()) {
        bus_.unregisterService(name_);
    }
    if (object_) {
        bus_.unregisterObject(QString::fromLatin1(ObjectPath));
    }
}

void MprisService::announce(const MprisChanges& changes) {
    const auto send = [this](const char* interface, const QObject* adaptor,
                             const QStringList& names) {
        if (names.isEmpty()) {
            return;
        }
        QDBusMessage signal = QDBusMessage::createSignal(
            QString::fromLatin1(ObjectPath), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"));
        signal << QString::fromLatin1(interface) << values(adaptor, names) << QStringList();
        bus_.send(signal);
    };
    send("org.mpris.MediaPlayer2.Player", playerInterface_, changes.player);
    send("org.mpris.MediaPlayer2", root_, changes.root);
}

} // namespace orvanto
