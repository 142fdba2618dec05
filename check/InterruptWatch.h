#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace orvanto {

// Turns SIGINT and SIGTERM into a signal on the event loop: the handler only writes a byte to
// a socket pair, which a notifier reads on this thread. One at a time.
class InterruptWatch : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatch(QObject* parent = nullptr);
    ~InterruptWatch() override;

Q_SIGNALS:
    void interrupted();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace orvanto
