#include "window/DayView.h"

#include "window/GuideText.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace orvanto {

using namespace Qt::Literals::StringLiterals;

DayView::DayView(QWidget* parent) : QWidget(parent) {
    text_ = new QTextBrowser(this);
    text_->setObjectName(u"channelDay"_s);
    text_->setOpenLinks(false);
    // A click only selects: a programme plays on Enter or a double click, as a channel does.
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByKeyboard);
    text_->viewport()->installEventFilter(this);
    connect(text_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        const int index = GuideText::archiveIndex(link.toString());
        if (index >= 0) {
            Q_EMIT programmeChosen(index);
        }
        if (const int record = GuideText::recordIndex(link.toString()); record >= 0) {
            Q_EMIT recordChosen(record);
        }
    });
    before_ = new QPushButton(u"‹ Day before"_s, this);
    before_->setObjectName(u"dayBefore"_s);
    after_ = new QPushButton(u"Day after ›"_s, this);
    after_->setObjectName(u"dayAfter"_s);
    connect(before_, &QPushButton::clicked, this, [this] { step(-1); });
    connect(after_, &QPushButton::clicked, this, [this] { step(1); });

    auto* steps = new QHBoxLayout;
    steps->addWidget(before_);
    steps->addStretch(1);
    steps->addWidget(after_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(steps);
    layout->addWidget(text_, 1);
    updateButtons();
}

void DayView::showDay(const QString& channel, const QDate& date,
                      const std::vector<Programme>& programmes, qint64 time, bool inGuide,
                      const std::vector<bool>& playable, const std::vector<bool>& scheduled) {
    // The same day shown again (what is scheduled changed) stays where the user scrolled it.
    const bool again = channel == shownChannel_ && date == shownDate_;
    const int scrolled = text_->verticalScrollBar()->value();
    text_->setHtml(
        GuideText::day(channel, date, programmes, time, inGuide, playable, recordable_, scheduled));
    shownChannel_ = channel;
    shownDate_ = date;
    if (again) {
        text_->verticalScrollBar()->setValue(scrolled);
    } else if (offset_ == 0) {
        text_->scrollToAnchor(u"now"_s);
    }
}

void DayView::clear() {
    text_->clear();
    shownChannel_.clear();
    shownDate_ = {};
}

void DayView::setOffset(int offset) {
    offset_ = qBound(earliest_, offset, LatestOffset);
    updateButtons();
}

void DayView::setEarliestOffset(int offset) {
    earliest_ = qMin(0, offset);
    setOffset(offset_);
}

void DayView::step(int days) {
    const int before = offset_;
    setOffset(offset_ + days);
    if (offset_ != before) {
        Q_EMIT offsetChanged(offset_);
    }
}

void DayView::updateButtons() {
    before_->setEnabled(offset_ > earliest_);
    after_->setEnabled(offset_ < LatestOffset);
}

bool DayView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == text_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QString link = text_->anchorAt(mouse->position().toPoint());
        if (const int index = GuideText::archiveIndex(link); index >= 0) {
            Q_EMIT programmeChosen(index);
            return true;
        }
        if (const int index = GuideText::recordIndex(link); index >= 0) {
            Q_EMIT recordChosen(index);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace orvanto
