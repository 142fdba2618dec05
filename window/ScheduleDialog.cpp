#include "window/ScheduleDialog.h"

#include "playback/RecordingSchedule.h"
#include "window/GuideText.h"
#include "window/RowTable.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orvanto {

namespace {

using namespace Qt::Literals::StringLiterals;

enum Column { Channel, Programme, Time, State, Columns };

QString stateText(const ScheduledRecording& entry) {
    switch (entry.state) {
    case ScheduledRecording::State::Scheduled:
        return u"Scheduled"_s;
    case ScheduledRecording::State::Recording:
        return u"Recording"_s;
    case ScheduledRecording::State::Done:
        return u"Done"_s;
    case ScheduledRecording::State::Failed:
        break;
    }
    return u"Failed: "_s + entry.reason;
}

} // namespace

ScheduleDialog::ScheduleDialog(const RecordingSchedule& schedule,
                               std::function<void(quint64 id)> cancel, QWidget* parent)
    : QDialog(parent), schedule_(schedule), cancel_(std::move(cancel)) {
    setWindowTitle(u"Scheduled recordings"_s);
    setObjectName(u"scheduledRecordings"_s);
    table_ = makeRowTable({u"Channel"_s, u"Programme"_s, u"Time"_s, u"State"_s}, this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    cancelButton_ = buttons->addButton(u"Cancel recording"_s, QDialogButtonBox::ActionRole);
    cancelButton_->setObjectName(u"cancelScheduled"_s);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        const QList<QTableWidgetItem*> selected = table_->selectedItems();
        if (!selected.isEmpty() && cancel_) {
            cancel_(selected.first()->data(Qt::UserRole).toULongLong());
        }
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this, &ScheduleDialog::updateButton);
    connect(&schedule_, &RecordingSchedule::changed, this, &ScheduleDialog::fill);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(640, 320);
    fill();
}

void ScheduleDialog::fill() {
    const QLocale locale;
    const quint64 chosen = table_->selectedItems().isEmpty()
                               ? 0
                               : table_->selectedItems().first()->data(Qt::UserRole).toULongLong();
    const QList<ScheduledRecording>& entries = schedule_.entries();
    table_->clearSelection();
    table_->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const ScheduledRecording& entry = entries[row];
        const QStringList texts{
            entry.channel, entry.programme,
            locale.toString(QDateTime::fromSecsSinceEpoch(entry.recordFrom()).date(),
                            QLocale::ShortFormat) +
                u' ' + GuideText::span(entry.recordFrom(), entry.recordUntil()),
            stateText(entry)};
        for (int column = 0; column < Columns; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setData(Qt::UserRole, entry.id);
            table_->setItem(row, column, item);
        }
        if (entry.id == chosen) {
            table_->selectRow(row);
        }
    }
    table_->resizeColumnsToContents();
    updateButton();
}

void ScheduleDialog::updateButton() {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    const ScheduledRecording* entry =
        selected.isEmpty() ? nullptr
                           : schedule_.find(selected.first()->data(Qt::UserRole).toULongLong());
    cancelButton_->setEnabled(entry != nullptr);
    cancelButton_->setText(entry != nullptr && !entry->isOpen() ? u"Forget"_s
                                                                : u"Cancel recording"_s);
}

} // namespace orvanto
