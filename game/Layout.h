// Where the game's window, view and well are, in pixels. Rectangles include both edges.
#pragma once

#include "platform/Types.h"

// The window on screen, and the view in it below the menu bar.
constexpr BRect kWindowFrame(100, 100, 260, 520);
constexpr float kViewTop = kMenuBarHeight;
constexpr float kViewRight = 160;
constexpr float kViewBottom = 400;
constexpr BRect kViewBounds(0, 0, kViewRight, kViewBottom);
constexpr BRect kViewFrame(0, kViewTop, kViewRight, kViewTop + kViewBottom);

// The well inside its frame, and the score strip below it. The rows above the first visible
// one lie above the view.
constexpr BRect kFrameOutline(0, 0, kViewRight, 380);
constexpr BRect kScoreStrip(0, 380, kViewRight, kViewBottom);
constexpr int32 kCellSize = 20;

constexpr BRect CellRect(int32 x, int32 y) {
    return BRect(static_cast<float>(x * kCellSize + 10), static_cast<float>(y * kCellSize - 30),
                 static_cast<float>(x * kCellSize + 29), static_cast<float>(y * kCellSize - 11));
}
// A cell has no middle pixel: a gem is centered on the upper right one of the middle four.
constexpr BPoint GemCenter(int32 x, int32 y) {
    return BPoint(static_cast<float>(x * kCellSize + 20), static_cast<float>(y * kCellSize - 21));
}
