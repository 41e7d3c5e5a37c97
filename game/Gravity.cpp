#include "game/TumbleView.h"

#include "platform/Snooze.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace {

struct Direction {
    int32 dx;
    int32 dy;
};
// Search order: right, down, down-right, down-left. Nothing is measured upward.
constexpr Direction kDirections[] = {{1, 0}, {0, 1}, {1, 1}, {-1, 1}};

inline bool Matches(uint8 a, uint8 b) {
    return a == b || a == MAGIC || b == MAGIC;
}

// A score that would pass the int32 range stays at its top instead of turning negative.
inline int32 AddPoints(int32 score, int32 points) {
    if (score > std::numeric_limits<int32>::max() - points)
        return std::numeric_limits<int32>::max();
    return score + points;
}

} // namespace

void TumbleView::RemoveEm(int32 x, int32 y, int32 dx, int32 dy) {
    for (;;) {
        const int32 nx = x + dx;
        const int32 ny = y + dy;
        if (nx < 0 || nx >= kWellColumns || ny < 0 || ny > kLastRow)
            return;
        if (!Matches(board[x][y], board[nx][ny]))
            return;
        ++runLength;
        x = nx;
        y = ny;
    }
}

bool TumbleView::SearchRuns() {
    bool found = false;
    std::memset(marks, 0, sizeof marks);
    for (int32 y = 0; y < kWellRows; ++y) {
        for (int32 x = 0; x < kWellColumns; ++x) {
            if (board[x][y] == kEmpty)
                continue;
            for (const Direction& dir : kDirections) {
                runLength = 1;
                RemoveEm(x, y, dir.dx, dir.dy);
                if (runLength < kMinRun)
                    continue;
                found = true;
                for (int32 i = 0; i < runLength; ++i)
                    marks[x + i * dir.dx][y + i * dir.dy] = MARKED;
                score = AddPoints(score, static_cast<int32>(std::pow(runLength, kScoreExponent)));
            }
        }
    }
    return found;
}

void TumbleView::ClearMarked() {
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 y = 0; y < kWellRows; ++y) {
            if (marks[x][y] == MARKED)
                board[x][y] = kEmpty;
        }
    }
}

void TumbleView::ShiftArray() {
    for (int32 x = 0; x < kWellColumns; ++x) {
        for (int32 pass = 0; pass < kShiftPasses; ++pass) {
            for (int32 y = kLastRow; y >= 1; --y) {
                if (board[x][y] != kEmpty)
                    continue;
                for (int32 r = y; r >= 1; --r)
                    board[x][r] = board[x][r - 1];
                board[x][0] = kEmpty;
            }
        }
    }
}

void TumbleView::DropSome() {
    busy = 1;
    const int32 x2 = piecePos[4];
    const int32 y2 = piecePos[5];
    if (y2 <= kLastFallRow && board[x2][y2 + 1] == kEmpty) {
        drawOn = 0;
        DrawPiece();
        for (int32 gem = 0; gem < kPieceGems; ++gem)
            ++piecePos[2 * gem + 1];
        drawOn = 1;
        DrawPiece();
        busy = 0;
        return;
    }

    // Landing: the gems join the well where they were last drawn.
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        board[piecePos[2 * gem]][piecePos[2 * gem + 1]] = pieceColor[gem];
        piecePos[2 * gem] = 0;
        piecePos[2 * gem + 1] = 0;
    }

    // Each step empties the cell each run started at, so chains end.
    while (SearchRuns()) {
        ClearMarked();
        Redraw();
        snooze(CLEAR_PAUSE);
        ShiftArray();
        Redraw();
        snooze(CLEAR_PAUSE);
    }

    NewPiece();
    busy = 0;
}
