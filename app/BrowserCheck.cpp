#include "app/BrowserCheck.h"

#include "check/ListCheck.h"
#include "window/ChannelBrowser.h"
#include "window/Form1.h"

namespace orvanto {

BrowserCheck::BrowserCheck(Form1& form, const Catalogue& catalogue, ListCheck& check,
                           CheckCache cache, QObject* parent)
    : QObject(parent), form_(form), catalogue_(catalogue), check_(check), cache_(std::move(cache)) {
    connect(&form_, &Form1::channelBrowserCreated, this, &BrowserCheck::attach);
    if (form_.channelBrowser() != nullptr) {
        attach(form_.channelBrowser());
    }
    connect(&check_, &ListCheck::finished, this, &BrowserCheck::finished);
}

void BrowserCheck::attach(ChannelBrowser* browser) {
    browser_ = browser;
    loadSummary();
    browser_->setCheckSummary(summary_);
    connect(browser_, &ChannelBrowser::checkRequested, this, &BrowserCheck::start);
    connect(browser_, &ChannelBrowser::checkStopRequested, this, &BrowserCheck::stop);
    connect(&check_, &ListCheck::progress, browser_, &ChannelBrowser::setCheckProgress);
}

void BrowserCheck::showList(const QString& list) {
    if (check_.isRunning()) {
        stop();
    }
    list_ = list;
    summary_ = {};
    loaded_ = false;
    if (browser_) {
        loadSummary();
        browser_->setCheckSummary(summary_);
    }
}

// The kept result is read once the browser shows it, not while the viewer starts.
void BrowserCheck::loadSummary() {
    if (!loaded_) {
        loaded_ = true;
        summary_ = cache_.load(list_);
    }
}

void BrowserCheck::start() {
    check_.start(checkListFromCatalogue(catalogue_, form_.channelCount()));
}

void BrowserCheck::stop() {
    check_.stop();
    if (browser_) {
        browser_->checkStopped();
    }
}

void BrowserCheck::finished(const CheckSummary& summary) {
    summary_ = summary;
    loaded_ = true;
    if (browser_) {
        browser_->setCheckSummary(summary_);
    }
    const QString error = cache_.save(list_, summary_);
    if (!error.isEmpty()) {
        qWarning("orvanto-tv: the check of %s is not kept: %s", qUtf8Printable(list_),
                 qUtf8Printable(error));
    }
}

} // namespace orvanto
