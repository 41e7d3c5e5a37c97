// What reaches a view from its window: a key press as its bytes, delivered through its widget,
// and the pulse, to the views that ask for it while a rate is set, none at rate 0.
#include "tests/GameTest.h"

#include <QApplication>
#include <QKeyEvent>
#include <QtTest/QTest>

#include <string>

namespace {

struct Recorder : BView {
    explicit Recorder(uint32 flags = B_WILL_DRAW)
        : BView(kViewFrame, "Recorder", B_FOLLOW_ALL_SIDES, flags) {}
    void KeyDown(const char* bytes, int32 n) override { received.assign(bytes, n); }
    void Pulse() override { ++pulses; }
    std::string received;
    int pulses = 0;
};

// Keys without bytes are left to the widget's parents; held keys repeat.
TEST(KeyBytes, PressesReachTheViewAsTheirBytes) {
    const struct {
        int key;
        QString text;
        std::string bytes;
        bool repeat = false;
    } cases[] = {{Qt::Key_Enter, "\r", "\n"},
                 {Qt::Key_Down, "", "\x1f", true},
                 {Qt::Key_Shift, "", ""},
                 {Qt::Key_Eacute, "\xc3\xa9", "\xc3\xa9"}};
    for (const auto& c : cases) {
        Recorder view;
        QKeyEvent event(QEvent::KeyPress, c.key, Qt::NoModifier, c.text, c.repeat);
        QApplication::sendEvent(view.Widget(), &event);
        EXPECT_EQ(view.received, c.bytes) << "key 0x" << std::hex << c.key;
    }
}

TEST(Pulse, ReachesTheViewsThatAskWhileARateIsSet) {
    BWindow window(kWindowFrame, "Pulse", B_TITLED_WINDOW, B_NOT_RESIZABLE);
    auto *ticking = new Recorder(B_PULSE_NEEDED), *quiet = new Recorder;
    window.AddChild(ticking);
    window.AddChild(quiet);
    window.SetPulseRate(5000);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticking->pulses >= 3; }, 5000));
    EXPECT_EQ(quiet->pulses, 0);
    window.SetPulseRate(0);
    const int stoppedAt = ticking->pulses;
    QTest::qWait(100); // twenty rates' worth of waiting
    EXPECT_EQ(ticking->pulses, stoppedAt);
}

} // namespace
