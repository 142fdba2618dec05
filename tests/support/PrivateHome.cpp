#include "PrivateHome.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstdlib>

namespace orvanto::test {

namespace {

void set(const char* name, const QString& value) {
    qputenv(name, QFile::encodeName(value));
}

} // namespace

PrivateHome::PrivateHome() : dir_(QDir::tempPath() + QStringLiteral("/orvanto-home-XXXXXX")) {
    if (!dir_.isValid() || !QDir(dir_.path()).mkpath(QStringLiteral("runtime"))) {
        std::fputs("tests: no scratch folder for the test's home\n", stderr);
        std::exit(1);
    }
    // The runtime folder is the user's alone, as the XDG rules want (else Qt warns and ignores it).
    QFile::setPermissions(runtimeDir(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    set("HOME", dir_.path());
    set("XDG_CONFIG_HOME", dir_.filePath(QStringLiteral(".config")));
    set("XDG_DATA_HOME", dir_.filePath(QStringLiteral(".local/share")));
    set("XDG_STATE_HOME", dir_.filePath(QStringLiteral(".local/state")));
    set("XDG_CACHE_HOME", dir_.filePath(QStringLiteral(".cache")));
    set("XDG_RUNTIME_DIR", runtimeDir());
    // Without these a library may reach for the caller's desktop: libdbus, for one, starts a
    // session bus through dbus-launch where a display is set and no bus is.
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "DBUS_SESSION_BUS_ADDRESS",
          "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION",
          "SESSION_MANAGER", "XAUTHORITY"}) {
        qunsetenv(name);
    }
}

QString PrivateHome::runtimeDir() const {
    return dir_.filePath(QStringLiteral("runtime"));
}

} // namespace orvanto::test
