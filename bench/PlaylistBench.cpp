// Loading the user's playlist at its limits: 90 stations x 100 addresses (9,000 entries), from a
// file, through the same loader the viewer uses. Reports the time from load() to the report and
// the resident memory the loaded catalogue takes beyond the built-in one.
// Goals: under 50 ms, and under 10 MiB more than the built-in catalogue.

#include "BenchSupport.h"
#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "net/PlaylistLoader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace orvanto;

using namespace orvanto::bench;

namespace {

constexpr int Stations = 90;
constexpr int AddressesPerStation = 100;
constexpr int Runs = 20;

// Like a real list: attributes, long tokenised addresses, and each station's backups spread
// over the file (address j of every station, then address j + 1 of every station ...).
QByteArray generatedPlaylist() {
    QByteArray text = "#EXTM3U url-tvg=\"http://epg.example.com/guide.xml\"\n";
    for (int j = 1; j <= AddressesPerStation; ++j) {
        for (int i = 1; i <= Stations; ++i) {
            const QByteArray n = QByteArray::number(i);
            text += "#EXTINF:-1 tvg-id=\"kanali" + n + ".gr\" tvg-logo=\"http://img.example.com/" +
                    n + ".png\" group-title=\"Group " + QByteArray::number(i % 7) + "\",Kanali " +
                    n + "\nhttp://s" + QByteArray::number(j) + ".tv.example.com/live/" + n +
                    "/index.m3u8?token=0123456789abcdef" + QByteArray::number(j) + "\n";
        }
    }
    return text;
}

// Loads `path` into `catalogue` and returns the milliseconds until the report arrived.
double timedLoad(const QString& path, Catalogue& catalogue, PlaylistReport& report) {
    PlaylistLoader loader;
    QElapsedTimer timer;
    double elapsed = 0;
    QObject::connect(&loader, &PlaylistLoader::finished, [&](const PlaylistReport& r) {
        elapsed = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        report = r;
        QCoreApplication::quit();
    });
    timer.start();
    loader.load(path, catalogue);
    QCoreApplication::exec();
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tv.m3u"));
    qint64 fileSize = 0;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        fileSize = file.write(generatedPlaylist());
    }

    // Memory first, on a quiet heap: the built-in catalogue, then the playlist's (with the same
    // locked stations behind it), both kept alive.
    const double before = residentBytes();
    Catalogue builtin;
    RegisterStations(builtin);
    RegisterAdultStations(builtin);
    const double withBuiltin = residentBytes();

    auto fromPlaylist = std::make_unique<Catalogue>();
    PlaylistReport report;
    std::vector<double> times{timedLoad(path, *fromPlaylist, report)};
    RegisterAdultStations(*fromPlaylist);
    const double withPlaylist = residentBytes();
    if (!report.accepted || report.stations != Stations ||
        report.addresses != Stations * AddressesPerStation) {
        std::fprintf(stderr, "unexpected report: %d stations, %d addresses\n%s\n", report.stations,
                     report.addresses, qPrintable(report.message));
        return 1;
    }
    fromPlaylist.reset();

    for (int run = 1; run < Runs; ++run) {
        Catalogue catalogue;
        times.push_back(timedLoad(path, catalogue, report));
    }
    std::sort(times.begin(), times.end());

    const double builtinCost = withBuiltin - before;
    const double playlistCost = withPlaylist - withBuiltin;
    std::printf("playlist_bench: %d stations x %d addresses (%d entries, %.2f MiB file)\n",
                Stations, AddressesPerStation, Stations * AddressesPerStation,
                mebibytes(static_cast<double>(fileSize)));
    std::printf("load time (read, decode, parse, register): min %.2f ms, median %.2f ms, max %.2f "
                "ms over %d runs (goal < 50 ms)\n",
                times.front(), times[times.size() / 2], times.back(), Runs);
    std::printf("resident memory: built-in catalogue %+.2f MiB, playlist catalogue %+.2f MiB: "
                "%.2f MiB more (goal < 10 MiB)\n",
                mebibytes(builtinCost), mebibytes(playlistCost),
                mebibytes(playlistCost - builtinCost));
    return 0;
}
