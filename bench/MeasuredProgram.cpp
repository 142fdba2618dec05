#include "MeasuredProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace orvanto::bench {

namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

// CPU seconds the process has used, from /proc.
double cpuSeconds(qint64 pid) {
    QFile file(s("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray line = file.readAll();
    // After the command's closing parenthesis: state is field 3; utime and stime are 14, 15.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    const double ticks = fields[11].toDouble() + fields[12].toDouble();
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

double residentMib(qint64 pid) {
    QFile file(s("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
        }
    }
    return -1;
}

} // namespace

Measured::Measured(const QString& name, const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment)
    : name_(name) {
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(program, arguments);
}

Measured::~Measured() {
    if (process_.state() != QProcess::NotRunning) {
        process_.write("quit\n");
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
}

std::optional<Counts> Measured::stats() {
    output_.clear();
    process_.write("stats\n");
    QElapsedTimer clock;
    clock.start();
    static const QRegularExpression lost(s("frames lost\\s*:\\s*(\\d+)"));
    while (clock.elapsed() < 5000 && !lost.match(output_).hasMatch()) {
        if (!process_.waitForReadyRead(500) && process_.state() == QProcess::NotRunning) {
            return std::nullopt;
        }
        output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
    }
    QThread::msleep(100); // the lines after it
    output_ += QString::fromLocal8Bit(process_.readAllStandardOutput());
    const auto number = [this](const char* label) {
        const QRegularExpression line(s(label) + s("\\s*:\\s*(\\d+)"));
        const QRegularExpressionMatch match = line.match(output_);
        return match.hasMatch() ? match.captured(1).toInt() : -1;
    };
    if (!lost.match(output_).hasMatch()) {
        return std::nullopt;
    }
    return Counts{number("video decoded"), number("frames displayed"), number("frames lost"),
                  number("frames painted")};
}

void pause(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(20);
    }
}

Result measure(Measured& program, int seconds) {
    Result result;
    result.name = program.name();
    if (!program.started()) {
        std::printf("  %s did not start\n", qUtf8Printable(program.name()));
        return result;
    }
    // Playing: pictures on the screen, and a few seconds for the start to settle.
    QElapsedTimer clock;
    clock.start();
    std::optional<Counts> counts;
    while (clock.elapsed() < 30000 && (!(counts = program.stats()) || counts->displayed <= 0)) {
        pause(500);
    }
    if (!counts || counts->displayed <= 0) {
        std::printf("  %s shows no picture\n", qUtf8Printable(program.name()));
        return result;
    }
    pause(3000);
    const std::optional<Counts> first = program.stats();
    const double cpu0 = cpuSeconds(program.pid());
    pause(seconds * 1000);
    const double cpu1 = cpuSeconds(program.pid());
    const std::optional<Counts> last = program.stats();
    result.rss = residentMib(program.pid());
    if (!first || !last || cpu0 < 0 || cpu1 < 0) {
        std::printf("  %s stopped while measured\n", qUtf8Printable(program.name()));
        return result;
    }
    result.cpu = cpu1 - cpu0;
    result.counts = {last->decoded - first->decoded, last->displayed - first->displayed,
                     last->lost - first->lost,
                     last->painted < 0 ? -1 : last->painted - first->painted};
    result.ok = true;
    return result;
}

bool run(const QString& program, const QStringList& arguments, int timeoutMs, bool quiet) {
    QProcess process;
    if (quiet) {
        process.setStandardErrorFile(QProcess::nullDevice());
    } else {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

Background::~Background() {
    for (auto it = processes_.rbegin(); it != processes_.rend(); ++it) {
        (*it)->terminate();
        if (!(*it)->waitForFinished(5000)) {
            (*it)->kill();
            (*it)->waitForFinished(5000);
        }
    }
}

QProcess& Background::start(const QString& program, const QStringList& arguments,
                            const QProcessEnvironment& environment) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
    processes_.push_back(std::move(process));
    return *processes_.back();
}

} // namespace orvanto::bench
