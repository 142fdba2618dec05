// A large guide read again with a small part of it changed, as a refresh finds it: 900 channels
// for 14 days in half hours (604,800 programmes, about 1 GB of XMLTV, packed with gzip unless
// --plain), then the same guide with the titles of 1 % of its programmes changed (--percent N for
// another share), imported into the store that holds the first as the guide's worker does it
// (the bytes in pieces of 256 KiB). Reports the time of each import, the programmes kept and
// written, the bytes the process wrote to disk for it and the peak memory.
// Goal: the refresh <= 3 s, only what changed written.
//
//   guide_refresh_bench [--plain] [--percent N]

#include "BenchSupport.h"
#include "GuideWriter.h"
#include "guide/GuideImport.h"
#include "guide/GuideStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace orvanto;
using namespace orvanto::bench;

namespace {

// Bytes this process has had written to disk so far.
qint64 writtenToDisk() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : io.readAll().split('\n')) {
        if (line.startsWith("write_bytes:")) {
            return line.mid(12).trimmed().toLongLong();
        }
    }
    return 0;
}

struct Run {
    double seconds = 0;
    qint64 written = 0;
    GuideImport::Outcome outcome;
};

Run import(GuideStore& store, const QString& path, qint64 now) {
    Run run;
    const qint64 before = writtenToDisk();
    QElapsedTimer timer;
    timer.start();
    QFile file(path);
    GuideImport importer(store, now);
    if (!file.open(QIODevice::ReadOnly) || !importer.begin()) {
        return run;
    }
    QByteArray piece;
    for (;;) {
        piece = file.read(256 * 1024);
        if (piece.isEmpty() || !importer.feed(piece)) {
            break;
        }
    }
    GuideInfo info;
    info.source = QStringLiteral("http://epg.example.com/guide.xml.gz");
    info.fetched = now;
    run.outcome = importer.finish(info);
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.written = writtenToDisk() - before;
    return run;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Shape shape;
    shape.big = true;
    shape.channels = 900;
    shape.slotSeconds = 1800;
    shape.perChannel = 14 * 48;
    int percent = 1;
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--plain") {
            shape.plain = true;
        } else if (argument == "--percent" && i + 1 < argc) {
            percent = QByteArray(argv[++i]).toInt();
        } else {
            std::fprintf(stderr, "usage: guide_refresh_bench [--plain] [--percent N]\n");
            return 2;
        }
    }
    if (percent <= 0 || percent > 100) {
        std::fprintf(stderr, "guide_refresh_bench: --percent takes 1 to 100\n");
        return 2;
    }
    QTemporaryDir dir;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 firstStart = (now / 3600 - 6) * 3600;
    const QString firstPath = dir.filePath(QStringLiteral("first"));
    const QString changedPath = dir.filePath(QStringLiteral("changed"));
    const Written written = writeGuide(firstPath, firstStart, shape);
    Shape changed = shape;
    changed.changeEvery = 100 / percent;
    writeGuide(changedPath, firstStart, changed);

    GuideStore store;
    if (!store.open(dir.filePath(QStringLiteral("guide.sqlite")))) {
        std::fprintf(stderr, "guide_refresh_bench: no store: %s\n", qPrintable(store.error()));
        return 1;
    }
    const Run first = import(store, firstPath, now);
    std::fprintf(stderr, "guide_refresh_bench: the same guide again\n");
    const Run same = import(store, firstPath, now);
    const double idle = residentBytes();
    resetPeakResident();
    std::fprintf(stderr, "guide_refresh_bench: the refresh\n");
    const Run refresh = import(store, changedPath, now);
    const double peak = peakResident();
    const qint64 storeBytes = QFileInfo(store.path()).size();

    std::printf("guide_refresh_bench: %d channels x %d programmes, %.1f MiB of XMLTV, %s %.1f "
                "MiB\n",
                shape.channels, shape.perChannel, mebibytes(static_cast<double>(written.xml)),
                shape.plain ? "read as" : "gzip",
                mebibytes(static_cast<double>(QFileInfo(firstPath).size())));
    const auto report = [](const char* what, const Run& run) {
        std::printf(
            "%s: %.2f s, %lld programmes, %lld of them kept unread, %lld written; %.1f "
            "MiB written to disk%s%s\n",
            what, run.seconds, static_cast<long long>(run.outcome.programmes),
            static_cast<long long>(run.outcome.kept),
            static_cast<long long>(run.outcome.programmes - run.outcome.kept),
            mebibytes(static_cast<double>(run.written)),
            run.outcome.committed ? "" : "; not committed: ", qPrintable(run.outcome.failure));
    };
    report("first import", first);
    report("the same guide again", same);
    std::printf("(%d %% of the titles changed)\n", percent);
    report("refresh (goal <= 3 s)", refresh);
    std::printf("store %.1f MiB; peak resident %.1f MiB (%.1f MiB before the refresh)\n",
                mebibytes(static_cast<double>(storeBytes)), mebibytes(peak), mebibytes(idle));
    return 0;
}
