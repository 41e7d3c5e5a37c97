// The window's pulse: it reaches the views that ask for it while a rate is set, none at rate 0.
#include "game/Layout.h"
#include "platform/View.h"
#include "platform/Window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

struct CountingView : BView {
    explicit CountingView(uint32 flags)
        : BView(kViewFrame, "Counting", B_FOLLOW_ALL_SIDES, flags) {}
    void Pulse() override { ++pulses; }
    int pulses = 0;
};

// Runs the event loop until the view has seen `count` pulses or `limitMs` have passed.
void RunFor(const CountingView& view, int count, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (view.pulses < count && clock.elapsed() < limitMs)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

TEST(Pulse, ReachesTheViewsThatAskWhileARateIsSet) {
    BWindow window(kWindowFrame, "Pulse", B_TITLED_WINDOW, B_NOT_RESIZABLE);
    auto* ticking = new CountingView(B_PULSE_NEEDED);
    auto* quiet = new CountingView(B_WILL_DRAW);
    window.AddChild(ticking);
    window.AddChild(quiet);
    window.SetPulseRate(5000);
    RunFor(*ticking, 3, 5000);
    EXPECT_GE(ticking->pulses, 3);
    EXPECT_EQ(quiet->pulses, 0);

    window.SetPulseRate(0);
    const int stoppedAt = ticking->pulses;
    RunFor(*ticking, stoppedAt + 1, 100); // twenty rates' worth of waiting
    EXPECT_EQ(ticking->pulses, stoppedAt);
}

} // namespace
