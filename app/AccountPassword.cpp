#include "app/AccountPassword.h"

#include <QByteArray>
#include <termios.h>
#include <unistd.h>

namespace orvanto {

namespace {

// One line of `stream`, without its line break; at most MaxPasswordBytes are kept.
QByteArray readLine(FILE* stream) {
    QByteArray line;
    int c = 0;
    while ((c = std::fgetc(stream)) != EOF && c != '\n') {
        if (line.size() < MaxPasswordBytes) {
            line.append(char(c));
        }
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

} // namespace

QString readAccountPassword(const QString& address, FILE* input) {
    const int fd = fileno(input);
    if (isatty(fd) != 1) {
        return QString::fromUtf8(readLine(input));
    }
    const QByteArray prompt = "Password for " + address.toUtf8() + ": ";
    std::fputs(prompt.constData(), stderr);
    std::fflush(stderr);
    termios saved{};
    const bool quiet = tcgetattr(fd, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(fd, TCSAFLUSH, &silent);
    }
    const QByteArray line = readLine(input);
    if (quiet) {
        tcsetattr(fd, TCSAFLUSH, &saved);
    }
    std::fputc('\n', stderr);
    return QString::fromUtf8(line);
}

} // namespace orvanto
