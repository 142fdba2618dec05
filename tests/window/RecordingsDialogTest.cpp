// "Recordings": what it lists, and Play, Delete (asked first) and Open folder.
#include "window/RecordingsDialog.h"

#include "playback/RecordingList.h"

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orvanto;
using namespace Qt::Literals::StringLiterals;

namespace {

QPushButton* button(const QDialog& dialog, const QString& text) {
    for (QPushButton* candidate : dialog.findChildren<QPushButton*>()) {
        if (candidate->text() == text) {
            return candidate;
        }
    }
    return nullptr;
}

class RecordingsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(2048, 'x'));
        file.close();
        list.add({.path = path,
                  .channel = u"News 24"_s,
                  .programme = u"Evening"_s,
                  .start = QDateTime(QDate(2026, 12, 9), QTime(20, 0)),
                  .lengthMs = 3723000,
                  .bytes = 2048,
                  .failure = {}});
        list.add({.path = {},
                  .channel = u"Radio"_s,
                  .programme = {},
                  .start = QDateTime(QDate(2026, 12, 9), QTime(21, 0)),
                  .lengthMs = 0,
                  .bytes = 0,
                  .failure = u"Nothing came to record."_s});
    }
    QTemporaryDir dir;
    QString path = dir.filePath(u"News.ts"_s);
    RecordingList list{dir.filePath(u"recordings.conf"_s)};
    QStringList played;
    QStringList opened;
    RecordingsDialog dialog{list,
                            {.play = [this](const QString& p) { played << p; },
                             .openFolder = [this](const QString& f) { opened << f; }}};
};

TEST_F(RecordingsDialogTest, ListsTheRecordingsAndWhyOneFailed) {
    QTableWidget* table = dialog.table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->item(0, 0)->text(), u"Radio"_s);
    EXPECT_EQ(table->item(0, 1)->text(), u"Nothing came to record."_s);
    EXPECT_EQ(table->item(1, 0)->text(), u"News 24"_s);
    EXPECT_EQ(table->item(1, 1)->text(), u"Evening"_s);
    EXPECT_EQ(table->item(1, 3)->text(), u"1:02:03"_s);
    EXPECT_FALSE(table->item(1, 4)->text().isEmpty());

    table->selectRow(0); // no file: nothing to play or open
    EXPECT_FALSE(button(dialog, u"Play"_s)->isEnabled());
    EXPECT_TRUE(button(dialog, u"Delete"_s)->isEnabled());
    table->selectRow(1);
    button(dialog, u"Play"_s)->click();
    button(dialog, u"Open folder"_s)->click();
    EXPECT_EQ(played, QStringList{path});
    EXPECT_EQ(opened, QStringList{dir.path()});
}

TEST_F(RecordingsDialogTest, DeleteAsksFirstAndNoKeepsTheFile) {
    dialog.table()->selectRow(1);
    auto answer = [&](QMessageBox::StandardButton which) {
        button(dialog, u"Delete"_s)->click();
        QMessageBox* box = nullptr; // the one asking now (one answered goes later)
        for (QMessageBox* asking : dialog.findChildren<QMessageBox*>(u"confirmDelete"_s)) {
            if (asking->isVisible()) {
                box = asking;
            }
        }
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains(u"News.ts"_s));
        box->button(which)->click();
    };
    answer(QMessageBox::No);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(dialog.table()->rowCount(), 2);
    dialog.table()->selectRow(1);
    answer(QMessageBox::Yes);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(dialog.table()->rowCount(), 1);
    EXPECT_EQ(dialog.table()->item(0, 0)->text(), u"Radio"_s);
}

} // namespace
