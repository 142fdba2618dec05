#pragma once

// The viewer on a real X display, assembled by the program's own composition: the real window
// and libVLC player, its pictures drawn by the window, a video stream served from 127.0.0.1,
// hand-driven tickers and clock for the failover player and the alarm. The tests move the real
// pointer and press real keys (XTest).

#include "XSession.h"
#include "alarm/AlarmClock.h"
#include "app/Viewer.h"
#include "catalogue/Catalogue.h"
#include "check/ListCheck.h"
#include "core/QtTicker.h"
#include "core/SteadyClock.h"
#include "playback/FailoverPlayer.h"
#include "playback/LivePause.h"
#include "playback/Recorder.h"
#include "playback/VlcPlayer.h"
#include "support/FakeClock.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "support/RecordingUrlOpener.h"
#include "support/ScriptedPasswordPrompt.h"
#include "support/TestHttpServer.h"
#include "window/Form1.h"
#include "window/FormControls.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace orvanto::test {

class DesktopViewer : public ::testing::Test {
protected:
    DesktopViewer() : DesktopViewer(false) {}
    // `recording`: with the program's recorder and live pause in the window too.
    explicit DesktopViewer(bool recording);
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
    VlcPlayer player;
    ManualTicker failoverTicker;
    RecordingMessageSink messages;
    ScriptedPasswordPrompt prompt;
    RecordingUrlOpener opener;
    FakeClock clock;
    ManualTicker watch; // Timer2
    ManualTicker ring;  // Timer3
    // The browser's check on libVLC probes of its own, as in the program.
    QtTicker checkTimeouts{100};
    SystemSteadyClock steady;
    SystemClock wallClock;
    ListCheck check;
    QTemporaryDir checkCache;
    QTemporaryDir recordings; // where recordings go, and what a pause keeps
    Recorder recorder{player.streamPlayer()};
    LivePause livePause{player.streamPlayer(),
                        steady,
                        {.folder = recordings.filePath(QStringLiteral("paused")), .limits = {}}};
    Viewer viewer;
    Catalogue& catalogue = viewer.catalogue();
    FailoverPlayer& failover = viewer.failover();
    Form1* form = nullptr;       // from the constructor on
    AlarmClock* alarm = nullptr; // likewise
};

} // namespace orvanto::test
