// The channel browser's "Check" clicked with the real pointer while a video plays: the check
// runs on libVLC engines of its own beside the player, and the counts it finds show in the list.

#include "DesktopViewer.h"
#include "app/BrowserCheck.h"
#include "check/ListCheck.h"
#include "playback/PlayState.h"
#include "support/WaitFor.h"
#include "window/ChannelBrowser.h"
#include "window/ChannelListModel.h"

#include <QPushButton>
#include <QTest>

namespace orvanto::test {
namespace {

QString s(const char* text) {
    return QString::fromUtf8(text);
}

class BrowserCheckOnScreen : public DesktopViewer {
protected:
    QString working(int row) {
        return form->channelBrowser()
            ->model()
            .index(row, ChannelListModel::PlaysColumn)
            .data()
            .toString();
    }
};

TEST_F(BrowserCheckOnScreen, CheckClickedWhileAVideoPlaysCountsEachChannelAndLeavesItPlaying) {
    ASSERT_TRUE(playVideo());
    // The second channel gains a dead first address.
    catalogue.AddStreamUrl(s("Video 2"), TestHttpServer::refusedUrl(s("/gone")).toString());
    viewer.browserCheck().showList(s("/lists/desktop.m3u"));
    form->openChannelBrowser();
    ChannelBrowser* browser = form->channelBrowser();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(browser));
    auto* button = browser->findChild<QPushButton*>(s("channelCheck"));
    ASSERT_TRUE(waitFor([&] { return button->isVisible(); }, 5000));
    const int videoRequests = server.requests(s("/video"));

    x11::click(button->mapToGlobal(button->rect().center()));
    ASSERT_TRUE(waitFor([&] { return check.isRunning(); }, 5000)) << "the click did not arrive";
    ASSERT_TRUE(waitFor([&] { return !check.isRunning(); }, 60000));

    EXPECT_EQ(working(0), s("1/1"));
    EXPECT_EQ(working(1), s("1/2"));
    EXPECT_EQ(button->text(), s("Check"));
    // The check opened the addresses itself; the video on show played on.
    EXPECT_GT(server.requests(s("/video")), videoRequests);
    EXPECT_GT(server.requests(s("/video2")), 0);
    EXPECT_EQ(player.playState(), PlayState::Playing);
    EXPECT_TRUE(player.showsPicture());
}

} // namespace
} // namespace orvanto::test
