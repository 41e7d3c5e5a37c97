// The game under GoogleTest: a TumbleView in its window, as the game builds them, in a scratch
// working directory. Pauses do not sleep: they are recorded, and onPause (if set) runs at each.
#pragma once

#include "platform/Snooze.h"
#include "tests/support/Fixture.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Rows top to bottom of the view hold nothing but text in the game's text color on background,
// as the view draws it on its own centered on x 80; its ink is centered too, in any face.
inline void ExpectLine(const QImage& image, int top, int bottom, const char* text, float size,
                       float baseline, Rgb background) {
    BView alone(kViewBounds, "expected", 0, B_WILL_DRAW);
    FillView(alone, background);
    alone.SetHighColor(20, 20, 20);
    alone.SetFontSize(size);
    const float center = 0.5f * kViewRight;
    alone.MovePenTo(center - 0.5f * alone.StringWidth(text), baseline);
    alone.DrawString(text);
    const int s = static_cast<int>(image.devicePixelRatio());
    const QRect band(0, top * s, (static_cast<int>(kViewRight) + 1) * s, (bottom - top + 1) * s);
    EXPECT_TRUE(image.copy(band) == alone.Snapshot().copy(band)) << text;
    const QRect ink = InkBox(image, BRect(0, top, kViewRight, bottom), background);
    EXPECT_NEAR((ink.left() + ink.right()) / 2.0, center, 1.5) << text;
}

class GameTest : public ::testing::Test {
public:
    static inline std::vector<bigtime_t> pauses;
    static inline std::function<void()> onPause;

protected:
    explicit GameTest(bool show = false) : game(MakeGameWindow(nullptr, show)) {
        pauses.clear();
        SetSnoozeHook([](bigtime_t microseconds) {
            pauses.push_back(microseconds);
            if (onPause)
                onPause();
        });
    }
    ~GameTest() override {
        SetSnoozeHook(nullptr);
        onPause = nullptr;
    }

    void Press(char key) { view->KeyDown(&key, 1); }

    ScratchDir scratch;
    GameWindow game;
    BWindow& window = *game.window;
    TumbleView* view = game.view; // owned by the window
};
