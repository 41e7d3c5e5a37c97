#include "game/TumbleView.h"

#include "game/Layout.h"

#include <cstdio>

namespace {
constexpr rgb_color kTitleBackground = {220, 220, 255, 255};
constexpr rgb_color kTitleText = {20, 20, 20, 255};
constexpr BPoint kTitlePen(8, 150);
constexpr float kTitleFontSize = 28;
constexpr float kScoresFontSize = 14;
constexpr float kHighScoreBaseline = 200;
constexpr float kLastRoundBaseline = 230;
} // namespace

void TumbleView::Draw(BRect) {
    if (gameState == kRunning || gameState == kPaused) {
        DrawMisc();
        Redraw();
        return;
    }
    SetHighColor(kTitleBackground);
    FillRect(kViewBounds);
    SetHighColor(kTitleText);
    SetLowColor(kTitleBackground);
    MovePenTo(kTitlePen);
    SetFontSize(kTitleFontSize);
    DrawString("Tumblegem");
    SetFontSize(kScoresFontSize);
    snprintf(textBuf, sizeof textBuf, "High score: %ld", static_cast<long>(highScore));
    DrawCentered(kHighScoreBaseline);
    snprintf(textBuf, sizeof textBuf, "Last round: %ld", static_cast<long>(score));
    DrawCentered(kLastRoundBaseline);
}
