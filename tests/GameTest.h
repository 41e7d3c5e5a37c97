// The game under GoogleTest: a fixture holding the game's window, and pixel assertions.
#pragma once

#include "tests/support/Fixture.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

// Every pixel of rect has the color and none of the pixels just outside it does.
testing::AssertionResult FilledExactly(const QImage& image, BRect rect, Rgb color);

// A TumbleView in its window, as the game builds them, in a scratch working directory.
// Pauses do not sleep: they are recorded, and onPause (if set) runs at each one.
class GameTest : public ::testing::Test {
public:
    static std::vector<bigtime_t> pauses;
    static std::function<void()> onPause;

protected:
    GameTest();
    ~GameTest() override;

    void Press(char key) { view->KeyDown(&key, 1); }

    ScratchDir scratch;
    GameWindow game = MakeGameWindow();
    BWindow& window = *game.window;
    TumbleView* view = game.view; // owned by the window
};
