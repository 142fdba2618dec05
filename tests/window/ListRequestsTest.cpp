#include "WindowTestSupport.h"
#include "window/ListDrop.h"
#include "window/PlayerArea.h"

#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace orvanto::test {
namespace {

QMimeData* urls(const QList<QUrl>& list) {
    auto* data = new QMimeData;
    data->setUrls(list);
    return data;
}

QMimeData* text(const QString& value) {
    auto* data = new QMimeData;
    data->setText(value);
    return data;
}

TEST(ListDrop, TakesListFilesAndWebAddressesOnly) {
    const std::unique_ptr<QMimeData> file(urls({QUrl::fromLocalFile(s("/home/u/tv.m3u"))}));
    EXPECT_EQ(droppedList(*file), s("/home/u/tv.m3u"));
    const std::unique_ptr<QMimeData> upper(urls({QUrl::fromLocalFile(s("/home/u/TV.M3U8"))}));
    EXPECT_EQ(droppedList(*upper), s("/home/u/TV.M3U8"));
    const std::unique_ptr<QMimeData> web(urls({QUrl(s("https://lists.example.com/gr.m3u"))}));
    EXPECT_EQ(droppedList(*web), s("https://lists.example.com/gr.m3u"));
    // The first usable one of several.
    const std::unique_ptr<QMimeData> mixed(urls({QUrl::fromLocalFile(s("/home/u/photo.png")),
                                                 QUrl(s("ftp://files.example.com/tv.m3u")),
                                                 QUrl(s("http://lists.example.com/a.m3u"))}));
    EXPECT_EQ(droppedList(*mixed), s("http://lists.example.com/a.m3u"));
    const std::unique_ptr<QMimeData> none(
        urls({QUrl::fromLocalFile(s("/home/u/notes.txt")), QUrl(s("file:///home/u/")),
              QUrl(s("mailto:a@example.com"))}));
    EXPECT_TRUE(droppedList(*none).isEmpty());

    const std::unique_ptr<QMimeData> address(text(s("  http://lists.example.com/a.m3u\n")));
    EXPECT_EQ(droppedList(*address), s("http://lists.example.com/a.m3u"));
    for (const char* refused : {"some words", "http://a.example.com/x http://b.example.com/y",
                                "ftp://files.example.com/a.m3u", "http://", "/home/u/tv.m3u"}) {
        const std::unique_ptr<QMimeData> data(text(s(refused)));
        EXPECT_TRUE(droppedList(*data).isEmpty()) << refused;
    }
}

class ListRequestsTest : public WindowTest {
protected:
    void SetUp() override {
        startWith(60);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    // Drags `data` over the window and drops it; returns whether the window took the drag.
    bool drop(QMimeData* data) {
        const std::unique_ptr<QMimeData> owned(data);
        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent dropped(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &dropped);
        return dropped.isAccepted();
    }

    int shownPage() const {
        for (int i = 0; i <= StationPages::AlarmPage; ++i) {
            if (qobject_cast<QRadioButton*>(control("Option1", i))->isChecked()) {
                return i;
            }
        }
        return -1;
    }
};

TEST_F(ListRequestsTest, DroppingAListFileOrAddressAsksForIt) {
    QSignalSpy requested(form.get(), &Form1::listRequested);
    EXPECT_TRUE(drop(urls({QUrl::fromLocalFile(s("/tmp/gr.m3u"))})));
    EXPECT_TRUE(drop(text(s("https://lists.example.com/all.m3u"))));
    EXPECT_FALSE(drop(urls({QUrl::fromLocalFile(s("/tmp/picture.png"))})));
    ASSERT_EQ(requested.size(), 2);
    EXPECT_EQ(requested.at(0).at(0).toString(), s("/tmp/gr.m3u"));
    EXPECT_EQ(requested.at(1).at(0).toString(), s("https://lists.example.com/all.m3u"));
}

TEST_F(ListRequestsTest, CtrlLAsksForAnAddressAndRefusesAnythingElse) {
    QSignalSpy requested(form.get(), &Form1::listRequested);
    QTest::keyClick(form.get(), Qt::Key_L, Qt::ControlModifier);
    auto* dialog = form->findChild<QInputDialog*>(s("listAddressDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    dialog->setTextValue(s("file:///etc/passwd"));
    dialog->accept();
    EXPECT_EQ(requested.size(), 0);
    auto* box = form->findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->text().contains(s("no http or https address")));
    box->close();

    QTest::keyClick(form.get(), Qt::Key_L, Qt::ControlModifier);
    dialog = form->findChild<QInputDialog*>(s("listAddressDialog"));
    ASSERT_NE(dialog, nullptr);
    dialog->setTextValue(s(" http://127.0.0.1:8080/tv.m3u "));
    dialog->accept();
    ASSERT_EQ(requested.size(), 1);
    EXPECT_EQ(requested.at(0).at(0).toString(), s("http://127.0.0.1:8080/tv.m3u"));
}

TEST_F(ListRequestsTest, CtrlOOpensAFileDialogForLists) {
    QTemporaryDir dir;
    const QString path = dir.filePath(s("mine.m3u"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSignalSpy requested(form.get(), &Form1::listRequested);
    QTest::keyClick(form.get(), Qt::Key_O, Qt::ControlModifier);
    auto* dialog = form->findChild<QFileDialog*>(s("listFileDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->nameFilters().first().contains(s("*.m3u8")));
    dialog->setDirectory(dir.path());
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();
    ASSERT_EQ(requested.size(), 1);
    EXPECT_EQ(requested.at(0).at(0).toString(), path);
}

TEST_F(ListRequestsTest, PageKeysStepThroughThePagesInUse) {
    EXPECT_EQ(shownPage(), 0);
    QTest::keyClick(form.get(), Qt::Key_PageUp);
    EXPECT_EQ(shownPage(), 0);
    QTest::keyClick(form.get(), Qt::Key_PageDown);
    EXPECT_EQ(shownPage(), 1);
    EXPECT_EQ(stationButton(0)->text(), stationName(19));
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(form.get(), Qt::Key_PageDown);
    }
    EXPECT_EQ(shownPage(), 3); // 60 stations: four pages
    EXPECT_EQ(stationButton(0)->text(), stationName(55));
    QTest::keyClick(form.get(), Qt::Key_PageUp);
    EXPECT_EQ(shownPage(), 2);
}

TEST_F(ListRequestsTest, KeysInTheAlarmBoxesStayThere) {
    qobject_cast<QRadioButton*>(control("Option1", StationPages::AlarmPage))->click();
    auto* hours = qobject_cast<QComboBox*>(control("Combo1"));
    ASSERT_NE(hours, nullptr);
    for (int hour = 0; hour < 24; ++hour) {
        hours->addItem(QString::number(hour)); // the alarm fills it in the program
    }
    hours->setCurrentIndex(0);
    hours->setFocus();
    const int before = hours->currentIndex();
    QTest::keyClick(hours, Qt::Key_PageDown);
    EXPECT_NE(hours->currentIndex(), before);
    EXPECT_EQ(shownPage(), StationPages::AlarmPage);
    EXPECT_TRUE(hours->isVisible());
}

TEST_F(ListRequestsTest, MMutesAndUnmutesWithoutTouchingTheVolume) {
    form->playerArea().volumeSlider()->setValue(70);
    QTest::keyClick(form.get(), Qt::Key_M);
    EXPECT_TRUE(player.isMuted());
    EXPECT_EQ(player.volume(), 70); // the volume to remember stays the user's
    QTest::keyClick(form.get(), Qt::Key_M);
    EXPECT_FALSE(player.isMuted());
    EXPECT_EQ(player.volume(), 70);
}

TEST_F(ListRequestsTest, CtrlQClosesTheWindow) {
    QTest::keyClick(form.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
}

} // namespace
} // namespace orvanto::test
