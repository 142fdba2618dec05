#include "alarm/SoundFile.h"

#include <QDir>
#include <QFileInfo>

namespace orvanto {

const QString SoundFile::FileName = QStringLiteral("Cuckoo.wav");

namespace {
const QString kInstalledDataDir = QStringLiteral("../share/orvanto-tv");
} // namespace

QStringList SoundFile::candidates(const QString& executableDir, const QStringList& dataDirs) {
    const QDir executable(executableDir);
    QStringList places{executable.absoluteFilePath(FileName),
                       executable.absoluteFilePath(kInstalledDataDir + u'/' + FileName)};
    for (const QString& dir : dataDirs) {
        if (!dir.isEmpty()) {
            places << QDir(dir).absoluteFilePath(FileName);
        }
    }
    for (QString& place : places) {
        place = QDir::cleanPath(place);
    }
    places.removeDuplicates();
    return places;
}

QString SoundFile::find(const QString& executableDir, const QStringList& dataDirs) {
    const QStringList places = candidates(executableDir, dataDirs);
    for (const QString& place : places) {
        const QFileInfo file(place);
        if (file.isFile() && file.isReadable()) {
            return place;
        }
    }
    return places.first();
}

} // namespace orvanto
