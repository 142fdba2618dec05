#include "window/RecordingsDialog.h"

#include "playback/RecordingList.h"
#include "window/RowTable.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace orvanto {

namespace {

enum Column { Channel, Programme, Start, Length, Size, Columns };

QString lengthText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600)
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

RecordingsDialog::RecordingsDialog(RecordingList& list, Actions actions, QWidget* parent)
    : QDialog(parent), list_(list), actions_(std::move(actions)) {
    setWindowTitle(QStringLiteral("Recordings"));
    setObjectName(QStringLiteral("recordings"));
    table_ =
        makeRowTable({QStringLiteral("Channel"), QStringLiteral("Programme"),
                      QStringLiteral("Start"), QStringLiteral("Length"), QStringLiteral("Size")},
                     this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    play_ = buttons->addButton(QStringLiteral("Play"), QDialogButtonBox::ActionRole);
    delete_ = buttons->addButton(QStringLiteral("Delete"), QDialogButtonBox::ActionRole);
    folder_ = buttons->addButton(QStringLiteral("Open folder"), QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(play_, &QPushButton::clicked, this, &RecordingsDialog::play);
    connect(delete_, &QPushButton::clicked, this, &RecordingsDialog::askDelete);
    connect(folder_, &QPushButton::clicked, this, &RecordingsDialog::openFolder);
    connect(table_, &QTableWidget::itemSelectionChanged, this, &RecordingsDialog::updateButtons);
    connect(table_, &QTableWidget::cellDoubleClicked, this, &RecordingsDialog::play);
    connect(&list_, &RecordingList::changed, this, &RecordingsDialog::fill);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(640, 360);
    fill();
}

void RecordingsDialog::fill() {
    const QLocale locale;
    const QList<RecordingList::Entry>& entries = list_.entries();
    table_->setRowCount(int(entries.size()));
    for (int row = 0; row < entries.size(); ++row) {
        const RecordingList::Entry& entry = entries[row];
        const QString size =
            entry.path.isEmpty()
                ? QString()
                : locale.formattedDataSize(entry.bytes, 1, QLocale::DataSizeTraditionalFormat);
        const QStringList texts{entry.channel, entry.programme,
                                locale.toString(entry.start, QLocale::ShortFormat),
                                lengthText(entry.lengthMs), size};
        for (int column = 0; column < Columns; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            if (!entry.failure.isEmpty()) {
                item->setToolTip(entry.failure);
            }
            table_->setItem(row, column, item);
        }
        if (!entry.failure.isEmpty()) {
            // A failed one says why where its programme would be, after it.
            table_->item(row, Programme)
                ->setText(entry.programme.isEmpty()
                              ? entry.failure
                              : entry.programme + QStringLiteral(" \u2014 ") + entry.failure);
        }
    }
    table_->resizeColumnsToContents();
    updateButtons();
}

int RecordingsDialog::chosen() const {
    const QList<QTableWidgetItem*> selected = table_->selectedItems();
    return selected.isEmpty() ? -1 : selected.first()->row();
}

void RecordingsDialog::updateButtons() {
    const int row = chosen();
    const bool hasFile = row >= 0 && !list_.entries()[row].path.isEmpty();
    play_->setEnabled(hasFile);
    delete_->setEnabled(row >= 0);
    folder_->setEnabled(hasFile);
}

void RecordingsDialog::play() {
    const int row = chosen();
    if (row >= 0 && !list_.entries()[row].path.isEmpty() && actions_.play) {
        actions_.play(list_.entries()[row].path);
    }
}

void RecordingsDialog::openFolder() {
    const int row = chosen();
    if (row >= 0 && !list_.entries()[row].path.isEmpty() && actions_.openFolder) {
        actions_.openFolder(QFileInfo(list_.entries()[row].path).absolutePath());
    }
}

void RecordingsDialog::askDelete() {
    const int row = chosen();
    if (row < 0) {
        return;
    }
    const RecordingList::Entry entry = list_.entries()[row];
    auto* box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Delete"),
        entry.path.isEmpty()
            ? QStringLiteral("Forget the failed recording of %1?").arg(entry.channel)
            : QStringLiteral("Delete %1 from the disk?").arg(QFileInfo(entry.path).fileName()),
        QMessageBox::Yes | QMessageBox::No, this);
    box->setObjectName(QStringLiteral("confirmDelete"));
    box->setDefaultButton(QMessageBox::No);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QMessageBox::finished, this, [this, entry](int answer) {
        if (answer != QMessageBox::Yes) {
            return;
        }
        // The same recording, wherever the list has it now.
        const int at = int(list_.entries().indexOf(entry));
        QString error;
        if (at >= 0 && !list_.remove(at, &error) && !error.isEmpty()) {
            auto* failed = new QMessageBox(QMessageBox::Warning, QStringLiteral("Delete"), error,
                                           QMessageBox::Ok, this);
            failed->setAttribute(Qt::WA_DeleteOnClose);
            failed->open();
        }
    });
    box->open();
}

} // namespace orvanto
