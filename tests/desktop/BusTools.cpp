#include "BusTools.h"

#include "support/WaitFor.h"

namespace orvanto::test {

QString runServing(const QString& program, const QStringList& arguments, int timeoutMs) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) {
        return {};
    }
    if (!waitFor([&process] { return process.state() == QProcess::NotRunning; }, timeoutMs)) {
        process.kill();
        process.waitForFinished(3000);
        return {};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString playerctl(const QStringList& arguments) {
    return runServing(QStringLiteral("playerctl"),
                      QStringList{QStringLiteral("--player=orvanto_tv")} + arguments);
}

ScreenSaverStandIn::ScreenSaverStandIn(bool portal) {
    process_.start(QStringLiteral(ORVANTO_STANDIN),
                   portal ? QStringList{QStringLiteral("--portal")} : QStringList{});
    process_.waitForStarted(5000);
    waitFor(
        [this] {
            calls();
            return ready_;
        },
        10000);
}

ScreenSaverStandIn::~ScreenSaverStandIn() {
    process_.kill();
    process_.waitForFinished(3000);
}

QStringList ScreenSaverStandIn::calls() {
    while (process_.canReadLine()) {
        const QString line = QString::fromUtf8(process_.readLine()).trimmed();
        if (line == QLatin1String("ready")) {
            ready_ = true;
        } else {
            lines_ << line;
        }
    }
    return lines_;
}

bool ScreenSaverStandIn::waitForCall(const QString& prefix, qsizetype after, int timeoutMs) {
    return waitFor(
        [&] {
            const QStringList now = calls();
            for (qsizetype i = after; i < now.size(); ++i) {
                if (now[i].startsWith(prefix)) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

} // namespace orvanto::test
