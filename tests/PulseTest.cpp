// The window's pulse: it reaches the view while a rate is set and stops when the rate is 0.
#include "game/Layout.h"
#include "platform/View.h"
#include "platform/Window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

class CountingView : public BView {
public:
    explicit CountingView(uint32 flags = B_PULSE_NEEDED)
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

constexpr bigtime_t kFastRate = 5000;

TEST(Pulse, ArrivesWhileARateIsSetAndStopsAtZero) {
    BWindow window(kWindowFrame, "Pulse", B_TITLED_WINDOW, B_NOT_RESIZABLE);
    auto* view = new CountingView;
    window.AddChild(view);
    window.SetPulseRate(kFastRate);
    EXPECT_EQ(window.PulseRate(), kFastRate);
    RunFor(*view, 3, 5000);
    EXPECT_GE(view->pulses, 3);

    window.SetPulseRate(0);
    EXPECT_EQ(window.PulseRate(), 0);
    const int stoppedAt = view->pulses;
    RunFor(*view, stoppedAt + 1, 100); // ten rates' worth of waiting
    EXPECT_EQ(view->pulses, stoppedAt);

    window.SetPulseRate(kFastRate); // a paused round resumes
    RunFor(*view, stoppedAt + 2, 5000);
    EXPECT_GE(view->pulses, stoppedAt + 2);
}

TEST(Pulse, ViewsWithoutThePulseFlagGetNone) {
    BWindow window(kWindowFrame, "Pulse", B_TITLED_WINDOW, B_NOT_RESIZABLE);
    auto* ticking = new CountingView;
    auto* quiet = new CountingView(B_WILL_DRAW);
    window.AddChild(ticking);
    window.AddChild(quiet);
    window.SetPulseRate(kFastRate);
    RunFor(*ticking, 2, 5000);
    EXPECT_GE(ticking->pulses, 2);
    EXPECT_EQ(quiet->pulses, 0);
}

} // namespace
