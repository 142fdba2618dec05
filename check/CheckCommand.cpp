#include "check/CheckCommand.h"

#include "catalogue/BuiltinStations.h"
#include "catalogue/Catalogue.h"
#include "catalogue/PlaylistSource.h"
#include "catalogue/PlaylistText.h"
#include "check/CheckReport.h"
#include "check/ProgressText.h"
#include "core/SecretStore.h"
#include "core/ShownAddress.h"
#include "net/PlaylistDownload.h"
#include "net/PortalLoader.h"

#include <QPointer>
#include <QSaveFile>
#include <unistd.h>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

namespace {

// Without a terminal, a plain progress line this often.
constexpr qint64 PlainProgressMs = 10000;

void print(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

CheckCommand::CheckCommand(CheckOptions options, ProbeFactory makeProbe, QObject* parent)
    : QObject(parent), options_(std::move(options)), makeProbe_(std::move(makeProbe)) {
    terminal_ = isatty(STDERR_FILENO) == 1;
}

CheckCommand::~CheckCommand() = default;

void CheckCommand::start() {
    startedMs_ = clock_.nowMs();
    if (options_.list.isEmpty()) {
        Catalogue catalogue;
        RegisterStations(catalogue);
        RegisterAdultStations(catalogue); // a check asks for no password
        QMetaObject::invokeMethod(
            this, [this, list = checkListFromCatalogue(catalogue)] { check(list); },
            Qt::QueuedConnection);
        return;
    }
    if (isAccountAddress(options_.list)) {
        startAccount();
        return;
    }
    download_ =
        readPlaylist(this, options_.list, [this](const PlaylistData& data) { listRead(data); });
}

void CheckCommand::startAccount() {
    QString error;
    PortalAccount account = parseAccountAddress(options_.list, &error);
    auto later = [this](QString text) {
        QMetaObject::invokeMethod(
            this, [this, text] { fail(text, UsageStatus); }, Qt::QueuedConnection);
    };
    if (!account.isValid()) {
        later(u"cannot read %1: %2"_s.arg(shownAddress(options_.list), error));
        return;
    }
    if (!options_.m3uFile.isEmpty()) {
        // Every address of an account holds its password.
        later(u"--write-m3u cannot write an account's channels: their addresses hold the "
              u"account's password"_s);
        return;
    }
    if (account.password.isEmpty()) {
        account.password = options_.password;
    }
    options_.list = account.address(); // as reports show it
    if (account.password.isEmpty() && secrets_ != nullptr) {
        QPointer<CheckCommand> self(this);
        secrets_->read(account.address(), [self, account](const QString& secret, const QString&) {
            if (self && !self->over_) {
                PortalAccount known = account;
                known.password = secret;
                self->readAccount(known);
            }
        });
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, account] { readAccount(account); }, Qt::QueuedConnection);
}

void CheckCommand::readAccount(PortalAccount account) {
    if (account.password.isEmpty() && askPassword_) {
        account.password = askPassword_(account.address());
    }
    if (account.password.isEmpty()) {
        fail(u"cannot read %1: no password for the account"_s.arg(account.address()), UsageStatus);
        return;
    }
    catalogue_ = std::make_unique<Catalogue>();
    portal_ = std::make_unique<PortalLoader>();
    connect(portal_.get(), &PortalLoader::finished, this, &CheckCommand::accountRead);
    portal_->load(account, *catalogue_, {});
}

void CheckCommand::accountRead(const PortalResult& result) {
    if (over_) {
        return;
    }
    if (!result.report.accepted) {
        fail(u"cannot read %1: %2"_s.arg(options_.list, result.report.rejection), UsageStatus);
        return;
    }
    if (!options_.quiet) {
        print(stderr, u"orvanto-tv: %1: %2, %3 channels\n"_s
                          .arg(options_.list, accountStateText(result.login, result.readAt))
                          .arg(result.report.stations));
        if (!result.report.message.isEmpty()) {
            print(stderr, u"orvanto-tv: "_s + result.report.message + u'\n');
        }
    }
    CheckList list = checkListFromCatalogue(*catalogue_);
    catalogue_.reset();
    check(std::move(list));
}

void CheckCommand::listRead(const PlaylistData& data) {
    if (over_) {
        return;
    }
    if (!data.error.isEmpty()) {
        fail(u"cannot read %1: %2"_s.arg(data.source, data.error), UsageStatus);
        return;
    }
    const PlaylistText text = decodePlaylistText(data.bytes);
    if (!text.rejection.isEmpty()) {
        fail(u"cannot read %1: %2"_s.arg(data.source, text.rejection), UsageStatus);
        return;
    }
    CheckListRead read = checkListFromM3u(text.text, data.location);
    if (!read.error.isEmpty()) {
        fail(u"cannot read %1: %2"_s.arg(data.source, read.error), UsageStatus);
        return;
    }
    if (read.problemCount > 0 && !options_.quiet) {
        print(stderr, u"orvanto-tv: %1 entries of %2 left out, not checked:\n  %3\n"_s
                          .arg(read.problemCount)
                          .arg(data.source, read.problems.join(u"\n  "_s)));
    }
    check(std::move(read.list));
}

void CheckCommand::check(CheckList list) {
    if (over_) {
        return;
    }
    list_ = std::move(list);
    CheckRun::Options options;
    options.jobs = options_.jobs;
    options.timeoutMs = qint64(options_.timeoutSeconds) * 1000;
    run_ = std::make_unique<CheckRun>(list_, makeProbe_, timeouts_, clock_, options);
    if (!options_.quiet) {
        progress_.start([this] { showProgress(false); });
    }
    lastPlainMs_ = clock_.nowMs();
    run_->start(nullptr, [this] { checkFinished(false); });
}

void CheckCommand::interrupt() {
    if (over_) {
        return;
    }
    if (!run_) {
        over_ = true;
        download_.reset();
        portal_.reset();
        Q_EMIT finished(InterruptedStatus);
        return;
    }
    run_->stop();
    checkFinished(true);
}

void CheckCommand::showProgress(bool last) {
    if (!run_) {
        return;
    }
    const qint64 now = clock_.nowMs();
    const QString text =
        progressText(run_->done(), run_->total(), run_->playing(), now - startedMs_);
    if (terminal_) {
        print(stderr, u"\r"_s + text + u"\x1b[K"_s + (last ? u"\n"_s : QString()));
    } else if (last || now - lastPlainMs_ >= PlainProgressMs) {
        lastPlainMs_ = now;
        print(stderr, text + u'\n');
    }
}

void CheckCommand::checkFinished(bool interrupted) {
    over_ = true;
    progress_.stop();
    if (!options_.quiet) {
        showProgress(true);
    }
    // The run may be the caller: it goes, with its probes and their engines, once it has
    // returned, and the report follows, so that its time covers the whole run.
    QMetaObject::invokeMethod(
        this,
        [this, interrupted] {
            run_.reset();
            report(interrupted);
        },
        Qt::QueuedConnection);
}

void CheckCommand::report(bool interrupted) {
    const CheckTotals totals = checkTotals(list_);
    const QString lines = stationLines(list_);
    bool written = true;
    if (!interrupted && !options_.m3uFile.isEmpty()) {
        written = writeFile(options_.m3uFile, checkedM3u(list_, options_.dropDead));
    }
    qint64 elapsed = -1;
    auto elapsedNow = [&] {
        elapsed = clock_.nowMs() - startedMs_;
        return elapsed;
    };
    if (!interrupted && !options_.jsonFile.isEmpty()) {
        const QByteArray json = checkJson(list_, options_.list, elapsedNow);
        written = writeFile(options_.jsonFile, json) && written;
    } else {
        elapsedNow();
    }
    print(stdout, lines + summaryText(totals, elapsed, interrupted));
    if (interrupted) {
        Q_EMIT finished(InterruptedStatus);
        return;
    }
    Q_EMIT finished(written ? checkExitStatus(totals) : UsageStatus);
}

bool CheckCommand::writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        print(stderr, u"orvanto-tv: cannot write %1: %2\n"_s.arg(path, file.errorString()));
        return false;
    }
    return true;
}

void CheckCommand::fail(const QString& text, int status) {
    over_ = true;
    print(stderr, u"orvanto-tv: "_s + text + u'\n');
    Q_EMIT finished(status);
}

} // namespace orvanto
