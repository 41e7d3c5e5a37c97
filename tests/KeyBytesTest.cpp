// What a key press is worth to a view, and that it gets there through the widget.
#include "platform/KeyBytes.h"
#include "game/Layout.h"
#include "platform/View.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string BytesOf(const QKeyEvent& event) {
    char out[kMaxKeyBytes + 1];
    const int n = KeyBytes(event, out);
    return std::string(out, static_cast<size_t>(n));
}

TEST(KeyBytes, MapsKeysToTheirBytes) {
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        std::string bytes;
    } cases[] = {
        {Qt::Key_Return, Qt::NoModifier, "\r", "\n"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", "\n"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", "\x1b"},
        {Qt::Key_Left, Qt::NoModifier, "", "\x1c"},
        {Qt::Key_Right, Qt::NoModifier, "", "\x1d"},
        {Qt::Key_Up, Qt::NoModifier, "", "\x1e"},
        {Qt::Key_Down, Qt::NoModifier, "", "\x1f"},
        {Qt::Key_Left, Qt::KeypadModifier, "", "\x1c"},
        {Qt::Key_A, Qt::NoModifier, "a", "a"},
        {Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xc3\xa9"), "\xc3\xa9"},
        {Qt::Key_Shift, Qt::ShiftModifier, "", ""},
    };
    for (const auto& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.text);
        EXPECT_EQ(BytesOf(event), c.bytes) << "key 0x" << std::hex << c.key;
    }
}

class KeyRecorder : public BView {
public:
    KeyRecorder() : BView(kViewBounds, "keys", B_FOLLOW_ALL_SIDES, B_WILL_DRAW) {}
    void KeyDown(const char* bytes, int32 numBytes) override {
        received.emplace_back(bytes, static_cast<size_t>(numBytes));
    }
    std::vector<std::string> received;
};

TEST(KeyBytes, PressesReachTheViewThroughItsWidget) {
    KeyRecorder view;
    QWidget* widget = view.Widget();
    QTest::keyClick(widget, Qt::Key_Left);
    QTest::keyClick(widget, Qt::Key_Shift);
    QTest::keyClick(widget, 'a');
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(widget, &repeat);
    EXPECT_EQ(view.received, (std::vector<std::string>{"\x1c", "a", "\x1f"}));
}

} // namespace
