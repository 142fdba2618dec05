// orvanto-tv --check over a list of loopback addresses, a third refused, a third never
// answering, a third playing: wall time beside the ideal schedule, peak memory and CPU of the
// checking process, at several job counts. Prints numbers, asserts nothing.
//
//     check_bench [ADDRESSES] [TIMEOUT_S] [JOBS...]     (900 5 1 8 32)

#include "support/TestHttpServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>

using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

namespace {

// VmHWM of a running process in kB (0 once it is gone).
qint64 peakKb(qint64 pid) {
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int addresses = args.size() > 1 ? args[1].toInt() : 900;
    const int timeout = args.size() > 2 ? args[2].toInt() : 5;
    QList<int> jobCounts;
    for (int i = 3; i < args.size(); ++i) {
        jobCounts << args[i].toInt();
    }
    if (jobCounts.isEmpty()) {
        jobCounts = {1, 8, 32};
    }

    TestHttpServer server;
    server.route(u"/live.wav"_s, TestHttpServer::wav());
    server.route(u"/silent"_s, TestHttpServer::silent());
    server.start();
    const QString refused = TestHttpServer::refusedUrl().toString();

    QTemporaryDir dir;
    QByteArray list = "#EXTM3U\n";
    for (int i = 0; i < addresses; ++i) {
        const QString address = i % 3 == 0   ? refused
                                : i % 3 == 1 ? server.url(u"/silent"_s).toString()
                                             : server.url(u"/live.wav"_s).toString();
        list += "#EXTINF:-1,Station " + QByteArray::number(i) + "\n" + address.toUtf8() + "\n";
    }
    const QString listPath = dir.filePath(u"list.m3u"_s);
    QFile listFile(listPath);
    listFile.open(QIODevice::WriteOnly);
    listFile.write(list);
    listFile.close();

    std::printf("%d addresses (a third refused, silent, playing), --timeout %d\n", addresses,
                timeout);
    std::printf("%6s %10s %10s %7s %10s %9s %6s\n", "jobs", "wall s", "ideal s", "ratio", "peak MB",
                "CPU s", "plays");
    for (int jobs : jobCounts) {
        const QString json = dir.filePath(u"r%1.json"_s.arg(jobs));
        QProcess process;
        process.setProgram(QCoreApplication::applicationDirPath() + u"/../app/orvanto-tv"_s);
        process.setArguments({u"--check"_s, listPath, u"--quiet"_s, u"--jobs"_s,
                              QString::number(jobs), u"--timeout"_s, QString::number(timeout),
                              u"--json"_s, json});
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer wall;
        wall.start();
        process.start();
        process.waitForStarted();
        qint64 peak = 0;
        while (!process.waitForFinished(100)) {
            peak = qMax(peak, peakKb(process.processId()));
        }
        const double wallS = double(wall.elapsed()) / 1000.0;
        rusage usage{};
        getrusage(RUSAGE_CHILDREN, &usage);
        static double cpuBefore = 0;
        const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        const double cpuS = cpu - cpuBefore;
        cpuBefore = cpu;

        // Ideal: each address's least possible time (the fastest seen of its kind; the time
        // limit for those that never answer), summed and shared out over the jobs.
        QFile report(json);
        report.open(QIODevice::ReadOnly);
        const QJsonObject root = QJsonDocument::fromJson(report.readAll()).object();
        QHash<QString, double> fastest;
        QHash<QString, int> count;
        for (const QJsonValue& station : root[u"stations"_s].toArray()) {
            for (const QJsonValue& address : station[u"addresses"_s].toArray()) {
                const QString verdict = address[u"verdict"_s].toString();
                const double s = address[u"seconds"_s].toDouble();
                fastest[verdict] = fastest.contains(verdict) ? qMin(fastest[verdict], s) : s;
                ++count[verdict];
            }
        }
        double ideal = 0;
        for (auto it = count.cbegin(); it != count.cend(); ++it) {
            ideal += (it.key() == u"timed-out"_s ? double(timeout) : fastest[it.key()]) *
                     double(it.value());
        }
        ideal /= double(jobs);
        std::printf("%6d %10.1f %10.1f %7.2f %10.1f %9.1f %6d\n", jobs, wallS, ideal, wallS / ideal,
                    double(peak) / 1024.0, cpuS, root[u"totals"_s][u"addressesPlaying"_s].toInt());
        QStringList kinds;
        for (auto it = count.cbegin(); it != count.cend(); ++it) {
            kinds << u"%1 %2 (fastest %3 s)"_s.arg(it.key()).arg(it.value()).arg(fastest[it.key()]);
        }
        std::printf("       %s\n", qPrintable(kinds.join(u", "_s)));
        std::fflush(stdout);
    }
    return 0;
}
