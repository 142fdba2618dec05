#pragma once

#include "check/CheckCache.h"
#include "check/CheckSummary.h"

#include <QObject>
#include <QPointer>

namespace orvanto {

class Catalogue;
class ChannelBrowser;
class Form1;
class ListCheck;

// The channel browser's check: "Check" checks the channels of the list on show in the
// background, the browser follows its progress, and the result is kept in the cache and shown
// again whenever that list is on show, in this run or a later one.
class BrowserCheck : public QObject {
    Q_OBJECT
public:
    // All must outlive this.
    BrowserCheck(Form1& form, const Catalogue& catalogue, ListCheck& check, CheckCache cache,
                 QObject* parent = nullptr);

    // The list named `list` is on show now: a check of the one before ends, unfinished, and the
    // last check of this one is shown.
    void showList(const QString& list);

    // The last check of the list on show, once the browser has shown it.
    const CheckSummary& summary() const { return summary_; }

private:
    void attach(ChannelBrowser* browser);
    void loadSummary();
    void start();
    void stop();
    void finished(const CheckSummary& summary);

    Form1& form_;
    const Catalogue& catalogue_;
    ListCheck& check_;
    CheckCache cache_;
    QPointer<ChannelBrowser> browser_;
    QString list_;
    CheckSummary summary_;
    bool loaded_ = false; // summary_ holds the kept result of list_
};

} // namespace orvanto
