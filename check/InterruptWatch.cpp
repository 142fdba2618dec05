#include "check/InterruptWatch.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace orvanto {

namespace {

int pipeEnds[2] = {-1, -1};

void onSignal(int signal) {
    // A second Ctrl+C ends the program the usual way, should the first not be enough.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigaction(signal, &action, nullptr);
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(pipeEnds[0], &byte, 1);
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

} // namespace

InterruptWatch::InterruptWatch(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pipeEnds) != 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(pipeEnds[1], &byte, 1);
        Q_EMIT interrupted();
    });
    handle(SIGINT, &onSignal);
    handle(SIGTERM, &onSignal);
}

InterruptWatch::~InterruptWatch() {
    handle(SIGINT, SIG_DFL);
    handle(SIGTERM, SIG_DFL);
    notifier_.reset();
    for (int& end : pipeEnds) {
        if (end >= 0) {
            ::close(end);
            end = -1;
        }
    }
}

} // namespace orvanto
