#include "tests/GameTest.h"

#include "platform/Snooze.h"

testing::AssertionResult FilledExactly(const QImage& image, BRect rect, Rgb color) {
    const int l = static_cast<int>(rect.left), t = static_cast<int>(rect.top);
    const int r = static_cast<int>(rect.right), b = static_cast<int>(rect.bottom);
    for (int y = t - 1; y <= b + 1; ++y) {
        for (int x = l - 1; x <= r + 1; ++x) {
            const bool inside = x >= l && x <= r && y >= t && y <= b;
            const Rgb p = PixelAt(image, x, y);
            if ((p == color) != inside)
                return testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is " << p << ", "
                       << (inside ? "inside" : "outside") << " the rectangle of " << color;
        }
    }
    return testing::AssertionSuccess();
}

std::vector<bigtime_t> GameTest::pauses;
std::function<void()> GameTest::onPause;

GameTest::GameTest() {
    pauses.clear();
    onPause = nullptr;
    SetSnoozeHook([](bigtime_t microseconds) {
        pauses.push_back(microseconds);
        if (onPause)
            onPause();
    });
}

GameTest::~GameTest() {
    SetSnoozeHook(nullptr);
    onPause = nullptr;
}
