#include "game/TumbleView.h"

#include "game/Layout.h"

#include <cstdio>

namespace {

constexpr rgb_color kGemColors[] = {
    {255, 255, 255, 255}, // 0: never used as a color; empty cells are drawn blank
    {200, 20, 20, 255},   {20, 200, 20, 255},   {20, 20, 200, 255},   {20, 20, 20, 255},
    {100, 100, 170, 255}, {170, 100, 100, 255}, {100, 140, 100, 255},
};
constexpr rgb_color kWhite = {255, 255, 255, 255};
constexpr rgb_color kGemOutline = {40, 40, 40, 255};
constexpr rgb_color kScoreText = {20, 20, 20, 255};
constexpr rgb_color kFrameOuter = {30, 20, 200, 255};
constexpr rgb_color kMagicRings[] = {{200, 0, 0, 255}, {0, 200, 0, 255}, {0, 0, 200, 255}};
constexpr float kMagicRadii[] = {9, 7, 5};

constexpr float kOutlineRadius = 9;
constexpr int kInnerRadiusFirst = 8;
constexpr int kInnerRadiusLast = 3;
constexpr uint8 kGemShadeStep = 10;
constexpr int kFrameOutlines = 10;
constexpr uint8 kFrameRedGreenStep = 10;
constexpr uint8 kFrameBlueStep = 15;

constexpr float kScoreFontSize = 22;
constexpr float kScoreBaseline = 398;

constexpr bool Hidden(int32 y) {
    return y < kFirstVisibleRow;
}

} // namespace

void TumbleView::SetOurColor(int32 x, int32 y) {
    const uint8 value = board[x][y];
    if (value >= MAGIC)
        return;
    if (value == kEmpty) {
        drawOn = 0;
        return;
    }
    SetHighColor(kGemColors[value]);
}

void TumbleView::SetOurColor(int32 color) {
    board[kBoardColumns - 1][0] = static_cast<uint8>(color & 0xff);
    SetOurColor(kBoardColumns - 1, 0);
}

void TumbleView::DrawGem(int32 x, int32 y) {
    if (Hidden(y))
        return;
    const BPoint center = GemCenter(x, y);
    savedColor = HighColor();
    SetHighColor(kGemOutline);
    FillEllipse(center, kOutlineRadius, kOutlineRadius);
    for (int radius = kInnerRadiusFirst; radius >= kInnerRadiusLast; --radius) {
        SetHighColor(savedColor);
        FillEllipse(center, static_cast<float>(radius), static_cast<float>(radius));
        savedColor.red = static_cast<uint8>(savedColor.red + kGemShadeStep);
        savedColor.green = static_cast<uint8>(savedColor.green + kGemShadeStep);
        savedColor.blue = static_cast<uint8>(savedColor.blue + kGemShadeStep);
    }
}

void TumbleView::DrawMagic(int32 x, int32 y) {
    if (Hidden(y))
        return;
    const BPoint center = GemCenter(x, y);
    for (int ring = 0; ring < 3; ++ring) {
        SetHighColor(kMagicRings[ring]);
        FillEllipse(center, kMagicRadii[ring], kMagicRadii[ring]);
    }
}

void TumbleView::DrawBlank(int32 x, int32 y) {
    if (Hidden(y))
        return;
    SetHighColor(kWhite);
    FillRect(CellRect(x, y));
}

void TumbleView::DrawCell(int32 x, int32 y) {
    if (board[x][y] == MAGIC) {
        DrawMagic(x, y);
        return;
    }
    drawOn = 1;
    SetOurColor(x, y);
    if (drawOn != 0)
        DrawGem(x, y);
    else
        DrawBlank(x, y);
}

void TumbleView::DrawPiece() {
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        const int32 x = piecePos[2 * gem];
        const int32 y = piecePos[2 * gem + 1];
        if (drawOn == 0) {
            DrawBlank(x, y);
        } else if (pieceColor[gem] == MAGIC) {
            DrawMagic(x, y);
        } else {
            SetOurColor(pieceColor[gem]);
            if (drawOn != 0)
                DrawGem(x, y);
        }
    }
    Sync();
}

void TumbleView::DrawCentered(float baseline) {
    MovePenTo(Bounds().right * 0.5f - 0.5f * StringWidth(textBuf), baseline);
    DrawString(textBuf);
}

void TumbleView::Redraw() {
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 y = kFirstVisibleRow; y < kWellRows; ++y)
            DrawCell(x, y);
    }
    SetHighColor(kWhite);
    FillRect(kScoreStrip);
    SetFontSize(kScoreFontSize);
    snprintf(textBuf, sizeof textBuf, "Score: %ld", static_cast<long>(score));
    SetHighColor(kScoreText);
    DrawCentered(kScoreBaseline);
    drawOn = 1;
    DrawPiece();
}

void TumbleView::DrawMisc() {
    SetHighColor(kFrameOuter);
    savedColor = HighColor();
    BRect outline = kFrameOutline;
    for (int i = 0; i < kFrameOutlines; ++i) {
        StrokeRect(outline);
        outline.InsetBy(1, 1);
        savedColor.red = static_cast<uint8>(savedColor.red + kFrameRedGreenStep);
        savedColor.green = static_cast<uint8>(savedColor.green + kFrameRedGreenStep);
        savedColor.blue = static_cast<uint8>(savedColor.blue - kFrameBlueStep);
        SetHighColor(savedColor);
    }
    Sync();
}
