#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace orvanto {

class RecordingSchedule;

// "Scheduled recordings": what the guide's "Record" scheduled, in the order of their start
// (channel, programme, the time recorded with its padding, and how it stands: scheduled,
// recording, done, or failed and why), with "Cancel" for one not over (a recording under way
// stops, keeping what it recorded) and "Forget" for one that is. Opened with show(); it follows
// the schedule while it shows.
class ScheduleDialog : public QDialog {
    Q_OBJECT
public:
    // `schedule` must outlive the dialog; `cancel(id)` cancels or forgets entry `id`.
    ScheduleDialog(const RecordingSchedule& schedule, std::function<void(quint64 id)> cancel,
                   QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }

private:
    void fill();
    void updateButton();

    const RecordingSchedule& schedule_;
    std::function<void(quint64)> cancel_;
    QTableWidget* table_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

} // namespace orvanto
