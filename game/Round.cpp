#include "game/TumbleView.h"

#include "game/Layout.h"
#include "platform/Window.h"

#include <cstdlib>

void TumbleView::StartGame() {
    gameState = kRunning;
    score = 0;
    SetHighColor(255, 255, 255);
    FillRect(kViewBounds);
    SetLowColor(255, 255, 255);
    if (BWindow* window = Window())
        window->SetPulseRate(kPulseRate);
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 y = 0; y < kWellRows; ++y)
            board[x][y] = kEmpty;
    }
    DrawMisc();
    Redraw();
    NewPiece();
}

void TumbleView::NewPiece() {
    for (int32 y = 0; y < kPieceGems; ++y) {
        if (board[kEntryColumn][y] != kEmpty) {
            EndGame();
            return;
        }
    }
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        piecePos[2 * gem] = kEntryColumn;
        piecePos[2 * gem + 1] = static_cast<int8>(gem);
    }
    for (int32 gem = 0; gem < kPieceGems; ++gem)
        pieceColor[gem] = static_cast<uint8>(rand() % kGemValues + 1);
    drawOn = 1;
    DrawPiece();
    Sync();
}

void TumbleView::EndGame() {
    if (score > highScore) {
        SaveHighScore();
        highScore = score;
    }
    gameState = kIdle;
    for (int8& v : piecePos)
        v = 0;
    Invalidate();
}
