// The measuring side of video_bench: programs started, driven through an rc-like standard input
// ("stats", "quit") and measured from /proc.
#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace orvanto::bench {

// A program's picture counts as its "stats" answer gives them.
struct Counts {
    int decoded = 0;
    int displayed = 0;
    int lost = 0;
    int painted = -1; // the viewer's only
};

// A program under measurement, driven through its rc-like standard input; told to quit (and
// killed if it does not) when destroyed.
class Measured {
public:
    Measured(const QString& name, const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment);
    ~Measured();
    Measured(const Measured&) = delete;
    Measured& operator=(const Measured&) = delete;

    const QString& name() const { return name_; }
    bool started() { return process_.waitForStarted(10000); }
    qint64 pid() const { return process_.processId(); }
    // Asks for the counts; none when the program does not answer within 5 s.
    std::optional<Counts> stats();

private:
    QString name_;
    QProcess process_;
    QString output_;
};

// One program's measurement over a stretch of play.
struct Result {
    QString name;
    double cpu = -1; // seconds, all threads
    double rss = -1; // MiB at the end
    Counts counts;   // during the stretch
    bool ok = false;
};

// Waits for the first picture and a settled start, then measures `seconds` of play.
Result measure(Measured& program, int seconds);

// Runs the events of this process for `ms`.
void pause(int ms);

// Runs a program to its end; true when it ended with 0 within the time.
bool run(const QString& program, const QStringList& arguments, int timeoutMs, bool quiet = false);

// Helpers (servers, a display) run while the bench runs and ended, last first, with it.
class Background {
public:
    Background() = default;
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    QProcess&
    start(const QString& program, const QStringList& arguments,
          const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

private:
    std::vector<std::unique_ptr<QProcess>> processes_;
};

} // namespace orvanto::bench
