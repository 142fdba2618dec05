#pragma once

#include "core/MessageSink.h"
#include "core/QtTicker.h"

#include <QObject>
#include <QString>
#include <memory>

namespace orvanto {

class Catalogue;
class FailoverPlayer;
class Recorder;
class VlcPlayer;

// A channel played on a player of its own with no picture or sound, as the window plays it (its
// addresses tried in turn, restarted when it breaks off), with a recorder on that player. What
// the window would show in a box is given as message().
class QuietChannel : public QObject {
    Q_OBJECT
public:
    // `catalogue` holds the channel and outlives this.
    explicit QuietChannel(const Catalogue& catalogue, QObject* parent = nullptr);
    // The recorder finishes its file before the player goes.
    ~QuietChannel() override;

    void play(const QString& name);
    // Stops playing and trying other addresses.
    void standDown();

    Recorder& recorder() { return *recorder_; }
    // The channel that plays.
    QString channel() const;

Q_SIGNALS:
    // An address of the channel plays (again, after a break).
    void accepted();
    void message(const QString& text);

private:
    class Messages final : public MessageSink {
    public:
        explicit Messages(QuietChannel& owner) : owner_(owner) {}
        void showMessage(const QString&, const QString& text, Icon) override {
            Q_EMIT owner_.message(text);
        }

    private:
        QuietChannel& owner_;
    };

    Messages messages_{*this};
    QtTicker attempts_{1000};
    std::unique_ptr<VlcPlayer> player_;
    std::unique_ptr<FailoverPlayer> failover_;
    std::unique_ptr<Recorder> recorder_;
};

} // namespace orvanto
