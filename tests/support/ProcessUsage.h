#pragma once

#include <QDir>
#include <QFile>
#include <QList>
#include <chrono>
#include <unistd.h>

namespace orvanto::test {

// What this process uses at the moment, read from /proc/self.
struct ProcessUsage {
    std::chrono::milliseconds cpu{0}; // user and system time of all threads so far
    qint64 residentBytes = 0;
    int openFiles = 0;

    static ProcessUsage now() {
        ProcessUsage usage;
        QFile stat(QStringLiteral("/proc/self/stat"));
        if (stat.open(QIODevice::ReadOnly)) {
            const QByteArray line = stat.readAll();
            // The fields after the command name, which ends with the last ')': state is
            // field 3, utime and stime fields 14 and 15.
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            const long ticks = sysconf(_SC_CLK_TCK);
            const qint64 used = fields.value(11).toLongLong() + fields.value(12).toLongLong();
            usage.cpu = std::chrono::milliseconds(used * 1000 / ticks);
        }
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (statm.open(QIODevice::ReadOnly)) {
            usage.residentBytes = statm.readAll().split(' ').value(1).toLongLong() *
                                  static_cast<qint64>(sysconf(_SC_PAGESIZE));
        }
        usage.openFiles = static_cast<int>(
            QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
        return usage;
    }
};

} // namespace orvanto::test
