// What a key press is worth to a view, delivered through its widget.
#include "platform/KeyBytes.h"
#include "platform/View.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>

namespace {

struct KeyRecorder : BView {
    KeyRecorder() : BView(BRect(0, 0, 9, 9), "keys", B_FOLLOW_ALL_SIDES, B_WILL_DRAW) {}
    void KeyDown(const char* bytes, int32 numBytes) override {
        received.assign(bytes, static_cast<size_t>(numBytes));
    }
    std::string received;
};

// Keys without bytes are left to the widget's parents; held keys repeat.
TEST(KeyBytes, PressesReachTheViewAsTheirBytes) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        std::string bytes;
        bool repeat = false;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", "\n"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", "\n"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", "\x1b"},
        {Qt::Key_Left, Qt::KeypadModifier, "", "\x1c"},
        {Qt::Key_Right, Qt::NoModifier, "", "\x1d"},
        {Qt::Key_Up, Qt::NoModifier, "", "\x1e"},
        {Qt::Key_Down, Qt::NoModifier, "", "\x1f", true},
        {Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xc3\xa9"), "\xc3\xa9"},
        {Qt::Key_Shift, Qt::ShiftModifier, "", ""},
    };
    for (const auto& c : cases) {
        KeyRecorder view;
        QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.text, c.repeat);
        QApplication::sendEvent(view.Widget(), &event);
        EXPECT_EQ(view.received, c.bytes) << "key 0x" << std::hex << c.key;
    }
}

} // namespace
