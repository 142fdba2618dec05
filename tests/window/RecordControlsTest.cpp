// "Record" in the window: what it starts, what stops it, and what it says.
#include "window/RecordControls.h"

#include "net/StreamConnection.h"
#include "playback/OwnStreamFixture.h"
#include "playback/RecordingList.h"
#include "support/FakeClock.h"
#include "support/RecordingMessageSink.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/socket.h>
#include <unistd.h>

using namespace orvanto;
using namespace orvanto::test;
using namespace Qt::Literals::StringLiterals;

class RecordControlsTest : public OwnStreamTest {
protected:
    void clickRecord() { controls.action()->trigger(); }

    QTemporaryDir dir;
    Recorder recorder{player};
    RecordingMessageSink messages;
    QString channel = u"News 24"_s;
    FakeClock clock{QDateTime(QDate(2026, 12, 9), QTime(20, 0))};
    RecordControls controls{recorder, messages, clock, [this] {
                                return Recorder::Request{.channel = channel,
                                                         .programme = {},
                                                         .start = clock.currentDateTime(),
                                                         .folder = dir.path(),
                                                         .path = {}};
                            }};
};

TEST_F(RecordControlsTest, RecordIsDownWhileItRecordsAndAnotherChannelEndsIt) {
    playOwnStream();
    clickRecord();
    EXPECT_TRUE(recorder.isRecording());
    EXPECT_TRUE(controls.action()->isChecked());
    EXPECT_TRUE(controls.action()->toolTip().contains(u"News 24"_s));
    controls.channelChanged(u"News 24"_s); // a failover within the channel: goes on
    EXPECT_TRUE(recorder.isRecording());
    QSignalSpy ended(&recorder, &Recorder::ended);
    controls.channelChanged(u"Sports"_s);
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(controls.action()->isChecked());
    ASSERT_TRUE(ended.wait(20000));
    // Nothing came before it ended: it says so.
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_TRUE(messages.messages[0].text.contains(u"Nothing came to record."_s));
}

TEST_F(RecordControlsTest, WhatCannotBeRecordedSaysWhyAndLeavesRecordUp) {
    clickRecord(); // nothing plays
    EXPECT_FALSE(recorder.isRecording());
    EXPECT_FALSE(controls.action()->isChecked());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].icon, MessageSink::Icon::Exclamation);
}

TEST_F(RecordControlsTest, AFinishedRecordingSaysNothingAndAFailedOneSaysWhy) {
    QByteArray packets;
    for (int i = 0; i < 200; ++i) {
        packets += QByteArray(1, 0x47) + QByteArray(187, 'x');
    }
    auto send = [&] {
        ASSERT_EQ(::write(server, packets.constData(), size_t(packets.size())), packets.size());
        QByteArray read(packets.size(), 0);
        for (qsizetype at = 0; at < read.size();) {
            const qint64 n = connection->read(read.data() + at, read.size() - at);
            ASSERT_GT(n, 0);
            at += qsizetype(n);
        }
    };
    RecordingList list(dir.filePath(u"recordings.conf"_s));
    controls.setList(&list);
    playOwnStream();
    QSignalSpy ended(&recorder, &Recorder::ended);
    clickRecord();
    send();
    clock.advanceSeconds(95);
    clickRecord(); // up again: the recording ends
    EXPECT_FALSE(recorder.isRecording());
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_TRUE(messages.messages.empty()) << "a recording that ends well says nothing";
    EXPECT_TRUE(controls.action()->toolTip().startsWith(u"Last recording: "_s))
        << controls.action()->toolTip().toStdString();

    clickRecord();
    send();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.path().isEmpty(); }, 20000));
    ASSERT_TRUE(QFile::remove(recorder.path()));
    send();
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_FALSE(controls.action()->isChecked());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text,
              u"The recording stopped. The recording's file was removed."_s);
    // Both are listed, the failed one with why.
    ASSERT_EQ(list.entries().size(), 2);
    EXPECT_EQ(list.entries()[0].failure, u"The recording's file was removed."_s);
    EXPECT_EQ(list.entries()[1].channel, u"News 24"_s);
    EXPECT_EQ(list.entries()[1].bytes, 200 * 188);
    EXPECT_EQ(list.entries()[1].lengthMs, 95000) << "timed by the clock its start came from";
    EXPECT_TRUE(list.entries()[1].failure.isEmpty());
}
