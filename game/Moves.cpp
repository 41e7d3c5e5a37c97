#include "game/TumbleView.h"

// A piece beside a hole could otherwise slide an upper gem onto a gem of the well,
// so every destination cell must be free, not only the one beside the bottom gem.
bool TumbleView::CanShiftTo(int32 column) const {
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        if (board[column][piecePos[2 * gem + 1]] != kEmpty)
            return false;
    }
    return true;
}

void TumbleView::Shift(int32 dx) {
    drawOn = 0;
    DrawPiece();
    for (int32 gem = 0; gem < kPieceGems; ++gem)
        piecePos[2 * gem] = static_cast<int8>(piecePos[2 * gem] + dx);
    drawOn = 1;
    DrawPiece();
    Sync();
}

void TumbleView::MoveLeft() {
    if (piecePos[0] <= 0 || !CanShiftTo(piecePos[0] - 1))
        return;
    Shift(-1);
}

void TumbleView::MoveRight() {
    if (piecePos[0] >= kWellColumns - 1 || !CanShiftTo(piecePos[0] + 1))
        return;
    Shift(+1);
}

void TumbleView::Rotate() {
    drawOn = 0;
    DrawPiece();
    const uint8 bottom = pieceColor[2];
    pieceColor[2] = pieceColor[1];
    pieceColor[1] = pieceColor[0];
    pieceColor[0] = bottom;
    drawOn = 1;
    DrawPiece();
}
