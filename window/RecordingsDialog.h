#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;

namespace orvanto {

class RecordingList;

// "Recordings": the recordings made, newest first (channel, programme, start, length, size, or
// why one failed), with "Play", "Delete" (which asks first) and "Open folder". Opened with
// open(); it follows the list while it shows.
class RecordingsDialog : public QDialog {
    Q_OBJECT
public:
    struct Actions {
        std::function<void(const QString& path)> play;
        std::function<void(const QString& folder)> openFolder;
    };

    // `list` must outlive the dialog.
    RecordingsDialog(RecordingList& list, Actions actions, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }

private:
    void fill();
    int chosen() const;
    void updateButtons();
    void play();
    void askDelete();
    void openFolder();

    RecordingList& list_;
    Actions actions_;
    QTableWidget* table_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* delete_ = nullptr;
    QPushButton* folder_ = nullptr;
};

} // namespace orvanto
