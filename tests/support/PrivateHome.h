#pragma once

#include <QString>
#include <QTemporaryDir>

namespace orvanto::test {

// The test program's own home, made before its application: HOME, the XDG folders and a runtime
// folder in a scratch folder that goes with the program, and none of the caller's session (its
// X display, Wayland socket and session bus). What a test reads and writes is then its own,
// whoever runs it and whatever their desktop holds; a layer that needs a display or a bus starts
// a private one after this.
class PrivateHome {
public:
    PrivateHome();
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

    QString path() const { return dir_.path(); }
    QString runtimeDir() const;

private:
    QTemporaryDir dir_;
};

} // namespace orvanto::test
