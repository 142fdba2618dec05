#include "XSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QRegularExpression>

namespace orvanto::test {

bool PrivateDisplay::start(QSize size) {
    // Display numbers well above those a Wayland compositor's XWayland takes (the lowest free
    // one, from :0), which it may claim while this server starts; one taken already makes the
    // server end at once, and the next number is tried.
    const int first = 100 + int(QCoreApplication::applicationPid() % 400);
    for (int attempt = 0; attempt < 20; ++attempt) {
        const QString name = QStringLiteral(":%1").arg(first + attempt * 7);
        server_.setProgram(QStringLiteral("Xvfb"));
        // -displayfd: the server writes the number to the descriptor once it listens.
        // -noreset: by default the server resets whenever its last client leaves, and a
        // client connecting during a reset is turned away ("cannot open display"); the tests'
        // short-lived xprop and xdotool clients would make that happen all the time.
        server_.setArguments({name, QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-noreset"), QStringLiteral("-screen"),
                              QStringLiteral("0"),
                              QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        server_.setProcessChannelMode(QProcess::SeparateChannels);
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start();
        if (!server_.waitForStarted(5000)) {
            return false;
        }
        QByteArray number;
        QDeadlineTimer deadline(10000);
        while (!number.contains('\n') && !deadline.hasExpired() &&
               server_.state() == QProcess::Running) {
            if (server_.waitForReadyRead(200)) {
                number += server_.readAllStandardOutput();
            }
        }
        if (number.contains('\n')) {
            name_ = name;
            qputenv("DISPLAY", name_.toLatin1());
            return true;
        }
        server_.kill();
        server_.waitForFinished(5000);
    }
    return false;
}

PrivateDisplay::~PrivateDisplay() {
    if (server_.state() != QProcess::NotRunning) {
        server_.terminate();
        server_.waitForFinished(5000);
    }
}

namespace x11 {

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0) {
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

namespace {

QString xdotool(const QStringList& arguments) {
    return run(QStringLiteral("xdotool"), arguments);
}

QString number(int n) {
    return QString::number(n);
}

} // namespace

void moveTo(const QPoint& global) {
    // (Not --sync: it waits for ever when the pointer is already there.)
    xdotool({QStringLiteral("mousemove"), number(global.x()), number(global.y())});
}

void click(const QPoint& global, int button) {
    moveTo(global);
    xdotool({QStringLiteral("click"), number(button)});
}

void key(const QString& name) {
    xdotool({QStringLiteral("key"), name});
}

void type(const QString& text) {
    xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), text});
}

QRect geometry(quint64 window) {
    const QString shell = xdotool(
        {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), QString::number(window)});
    QRect rect;
    for (const QString& line : shell.split(QLatin1Char('\n'))) {
        const QString value = line.section(QLatin1Char('='), 1);
        if (line.startsWith(QLatin1String("X="))) {
            rect.moveLeft(value.toInt());
        } else if (line.startsWith(QLatin1String("Y="))) {
            rect.moveTop(value.toInt());
        } else if (line.startsWith(QLatin1String("WIDTH="))) {
            rect.setWidth(value.toInt());
        } else if (line.startsWith(QLatin1String("HEIGHT="))) {
            rect.setHeight(value.toInt());
        }
    }
    return rect;
}

QString windowName(quint64 window) {
    const QString out =
        run(QStringLiteral("xprop"),
            {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_NAME")});
    static const QRegularExpression quoted(QStringLiteral("= \"(.*)\"\\s*$"));
    const QRegularExpressionMatch match = quoted.match(out);
    return match.hasMatch() ? match.captured(1) : QString();
}

QList<quint64> windowsOf(qint64 pid) {
    QList<quint64> windows;
    const QString out = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--pid"), QString::number(pid)});
    for (const QString& line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        windows << line.trimmed().toULongLong();
    }
    return windows;
}

} // namespace x11
} // namespace orvanto::test
