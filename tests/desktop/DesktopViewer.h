#pragma once

// The viewer on a real X display: the real window and libVLC player drawing its pictures, a video stream served from 127.0.0.1, hand-driven tickers and clock for the failover
// player and the alarm. The tests move the real pointer and press real keys (XTest).

#include "XSession.h"
#include "alarm/AlarmBinder.h"
#include "alarm/AlarmClock.h"
#include "alarm/FormAlarmView.h"
#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"
#include "playback/VlcPlayer.h"
#include "support/FakeClock.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/TestHttpServer.h"
#include "window/Form1.h"
#include "window/FormControls.h"

#include <gtest/gtest.h>
#include <memory>

namespace orvanto::test {

class DesktopViewer : public ::testing::Test {
protected:
    DesktopViewer();
    ~DesktopViewer() override;

    QWidget* control(const char* name) const;
    // The centre of a control on the screen.
    QPoint centre(const char* name) const;
    // The window's width as the X server has it.
    int xWidth() const;

    // Plays the test video directly on the player until its picture shows.
    ::testing::AssertionResult playVideo(const char* path = "/video");

    // Clicks a label with the real pointer; true when its click arrived.
    bool clickLabel(const char* name);
    // Moves the real pointer over a control: true when its tooltip `tip` shows.
    bool showsTooltip(const char* name, const QString& tip);

    TestHttpServer server;
    Catalogue catalogue;
    VlcPlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, failoverTicker, messages};
    FakeClock clock;
    ManualTicker watch; // Timer2
    ManualTicker ring;  // Timer3
    std::unique_ptr<Form1> form;
    std::unique_ptr<FormAlarmView> alarmView;
    std::unique_ptr<AlarmClock> alarm;
    std::unique_ptr<AlarmBinder> alarmBinder;
};

} // namespace orvanto::test
