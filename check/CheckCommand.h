#pragma once

#include "check/AddressProbe.h"
#include "check/CheckList.h"
#include "check/CheckOptions.h"
#include "check/CheckRun.h"
#include "core/QtTicker.h"
#include "core/SteadyClock.h"
#include "net/PortalAccount.h"

#include <QObject>
#include <cstdio>
#include <functional>
#include <memory>

namespace orvanto {

class Catalogue;
class PlaylistDownload;
class PortalLoader;
class SecretStore;
struct PlaylistData;
struct PortalResult;

// The check run from the command line: reads the list, checks it, prints the result and
// writes the files asked for, then reports its exit status through finished(). Files are
// written whole or not at all, and not at all when the check is interrupted.
class CheckCommand : public QObject {
    Q_OBJECT
public:
    static constexpr int InterruptedStatus = 130;
    static constexpr int UsageStatus = 2;

    CheckCommand(CheckOptions options, ProbeFactory makeProbe, QObject* parent = nullptr);
    ~CheckCommand() override;

    // Where an account's password is looked for first, and who is asked for it then (on a
    // terminal); without them, only the options' password is taken.
    void setSecrets(SecretStore* secrets) { secrets_ = secrets; }
    void setPasswordPrompt(std::function<QString(const QString& address)> ask) {
        askPassword_ = std::move(ask);
    }

    void start();
    // Stops at once and prints what was found so far.
    void interrupt();

Q_SIGNALS:
    void finished(int exitStatus);

private:
    void startAccount();
    void readAccount(PortalAccount account);
    void accountRead(const PortalResult& result);
    void listRead(const PlaylistData& data);
    void check(CheckList list);
    void checkFinished(bool interrupted);
    void report(bool interrupted);
    void showProgress(bool last);
    bool writeFile(const QString& path, const QByteArray& bytes);
    void fail(const QString& text, int status);

    CheckOptions options_;
    ProbeFactory makeProbe_;
    SystemSteadyClock clock_;
    QtTicker timeouts_{100};
    QtTicker progress_{500};
    std::unique_ptr<PlaylistDownload> download_;
    std::unique_ptr<Catalogue> catalogue_; // an account's, while it is read
    std::unique_ptr<PortalLoader> portal_;
    SecretStore* secrets_ = nullptr;
    std::function<QString(const QString&)> askPassword_;
    CheckList list_;
    std::unique_ptr<CheckRun> run_;
    bool terminal_ = false;
    bool over_ = false;
    qint64 startedMs_ = 0;
    qint64 lastPlainMs_ = 0;
};

} // namespace orvanto
