#pragma once

#include <QString>
#include <QStringList>

namespace orvanto {

// Where the alarm sound "Cuckoo.wav" is looked for, in this order:
// - beside the executable (a build tree puts it there);
// - ../share/orvanto-tv from the executable's folder (an installed program, whatever its prefix);
// - each of `dataDirs`, normally the application data folders of the desktop (the user's own
//   first, then the system's), as QStandardPaths::locate() searches them.
class SoundFile {
public:
    static const QString FileName;

    // Every place looked at, in order, as absolute, cleaned paths of the file.
    static QStringList candidates(const QString& executableDir, const QStringList& dataDirs);

    // The first candidate that is a readable file. When there is none, the place beside the
    // executable: the player then reports a missing file as it reports any broken address.
    static QString find(const QString& executableDir, const QStringList& dataDirs);
};

} // namespace orvanto
