// The game view: the whole game's state, its rules and its drawing.
#pragma once

#include "game/Constants.h"
#include "platform/View.h"

class TumbleView : public BView {
public:
    explicit TumbleView(BRect frame);

    // Hooks.
    void AttachedToWindow() override;
    void Draw(BRect updateRect) override;
    void Pulse() override;
    void KeyDown(const char* bytes, int32 numBytes) override;

    // Steering.
    void MoveLeft();
    void MoveRight();
    void Rotate();

    // Gravity.
    void DropSome();
    void RemoveEm(int32 x, int32 y, int32 dx, int32 dy);
    void ShiftArray();

    // The round.
    void StartGame();
    void NewPiece();
    void EndGame();

    // The best score on disk.
    void LoadHighScore();
    void SaveHighScore();

    // Drawing.
    void SetOurColor(int32 x, int32 y);
    void SetOurColor(int32 color);
    void DrawGem(int32 x, int32 y);
    void DrawMagic(int32 x, int32 y);
    void DrawBlank(int32 x, int32 y);
    void DrawPiece();
    void Redraw();
    void DrawMisc();

    // The game's plain record; tests set up positions through it.
    int32 gameState = kIdle;
    uint8 board[kBoardColumns][kWellRows] = {}; // board[x][y]: column-major
    uint8 marks[kWellColumns][kWellRows] = {};
    int8 piecePos[2 * kPieceGems] = {}; // x0, y0, x1, y1, x2, y2; gem 0 on top
    uint8 pieceColor[kPieceGems] = {};
    char textBuf[32] = {};
    int32 runLength = 0;
    int32 score = 0;
    int32 highScore = 0;
    rgb_color savedColor = {0, 0, 0, 0};
    uint8 busy = 0;
    uint8 drawOn = 1;

private:
    bool CanShiftTo(int32 column) const;
    void Shift(int32 dx);
    bool SearchRuns();
    void ClearMarked();
    void DrawCell(int32 x, int32 y);
    void DrawCentered(float baseline);
};
