#pragma once

#include "catalogue/Catalogue.h"
#include "playback/FailoverPlayer.h"
#include "support/FakePlayer.h"
#include "support/ManualTicker.h"
#include "support/RecordingMessageSink.h"
#include "window/Form1.h"
#include "window/StationPages.h"
#include "window/WindowControls.h"

#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace orvanto::test {

inline QString s(const char* text) {
    return QString::fromUtf8(text);
}

inline QString stationName(int k) {
    return QStringLiteral("S") + QString::number(k);
}

inline QString firstAddress(int k) {
    return QStringLiteral("mms://s%1.example.com/live").arg(k);
}

// `regular` stations "S1".."Sn", each with two addresses, and twelve "ADULT n".
inline StationRegistrations testStations(int regular = 60) {
    return {[regular](Catalogue& c) {
                for (int k = 1; k <= regular; ++k) {
                    c.AddStreamUrl(stationName(k), firstAddress(k));
                    c.AddStreamUrl(stationName(k),
                                   QStringLiteral("http://s%1.example.com/b").arg(k));
                }
            },
            [](Catalogue& c) {
                for (int k = 1; k <= 12; ++k) {
                    c.AddStreamUrl(QStringLiteral("ADULT ") + QString::number(k),
                                   QStringLiteral("mms://adult.example.net/%1").arg(k));
                }
            }};
}

// A window with a fake player, a hand-driven tick and recorded messages.
class WindowTest : public ::testing::Test {
protected:
    void makeForm() { form = std::make_unique<Form1>(catalogue, failover, player, nullptr); }
    void startWith(int regular = 60) {
        makeForm();
        form->load(testStations(regular));
    }

    QWidget* control(const char* name) const { return form->controls().control(s(name)); }
    QWidget* control(const char* name, int index) const {
        return form->controls().control(s(name), index);
    }
    QPushButton* stationButton(int i) const {
        return qobject_cast<QPushButton*>(control("sender_waehlen", i));
    }
    bool shown(const char* name) const { return !control(name)->isHidden(); }
    bool shown(const char* name, int index) const { return !control(name, index)->isHidden(); }

    Catalogue catalogue;
    FakePlayer player;
    ManualTicker ticker;
    RecordingMessageSink messages;
    FailoverPlayer failover{catalogue, player, ticker, messages};
    std::unique_ptr<Form1> form;
};

} // namespace orvanto::test
