#include "bench/Scenes.h"

#include <limits>

TumbleView& KeptView() {
    return *new TumbleView(kViewFrame);
}

Stage& SharedShownStage() {
    static Stage& stage = *new Stage(MakeGameWindow(nullptr, true));
    return stage;
}

void FillWithGems(TumbleView& view) {
    for (int32 x = 0; x < kWellColumns; ++x)
        for (int32 y = 0; y < kWellRows; ++y)
            view.board[x][y] = static_cast<uint8>((x + 3 * y) % kGemValues + 1);
}

int32 DenseNoRunValue(int32 x, int32 y) {
    // Neighbors differ by 1, 2, 3 or 4 modulo 7 in the four directions: never equal.
    constexpr int32 kColors = 7;
    return (x + 3 * y) % kColors + 1;
}

void FillDenseNoRun(TumbleView& view, int32 topRow) {
    for (int32 x = 0; x < kWellColumns; ++x)
        for (int32 y = 0; y < kWellRows; ++y)
            view.board[x][y] = y >= topRow ? static_cast<uint8>(DenseNoRunValue(x, y)) : kEmpty;
}

void SetChainLanding(TumbleView& view) {
    // Row 19 holds 1 1 | 2 2 | 3 3; each clearing drops the gem that completes the next run.
    SetBoard(view, "..6....\n"
                   "..2.3..\n"
                   ".112233\n");
    PlacePiece(view, 0, kLastRow, "451");
}

void FillWithGaps(TumbleView& view) {
    // Column x has every (x+2)th cell filled: gaps of 1 to 7 cells.
    for (int32 x = 0; x < kWellColumns; ++x)
        for (int32 y = 0; y < kWellRows; ++y)
            view.board[x][y] = y % (x + 2) == 0 ? static_cast<uint8>(x + 1) : kEmpty;
}

void StartQuietRound(TumbleView& view) {
    view.StartGame();
    if (BWindow* window = view.Window())
        window->SetPulseRate(0);
    // A best score nobody beats keeps the score file untouched when a round ends.
    view.highScore = std::numeric_limits<int32>::max();
}
