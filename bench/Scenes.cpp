#include "bench/Scenes.h"

#include <QApplication>
#include <QWidget>

#include <cstring>
#include <limits>

Stage Stage::Shown(TumbleView* view) {
    Stage stage;
    stage.window = std::make_unique<BWindow>(kWindowFrame, "Tumblegem", B_TITLED_WINDOW,
                                             B_NOT_RESIZABLE | B_NOT_ZOOMABLE);
    stage.view = view != nullptr ? view : new TumbleView(kViewFrame);
    stage.window->AddChild(stage.view);
    stage.window->Show();
    QWidget* w = stage.view->Widget();
    for (int i = 0; i < 100 && !w->isVisible(); ++i)
        QApplication::processEvents();
    QApplication::processEvents();
    return stage;
}

TumbleView& KeptView() {
    return *new TumbleView(kViewFrame);
}

Stage& SharedShownStage() {
    static Stage& stage = *new Stage(Stage::Shown());
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
    static constexpr const char* kRows[] = {
        "..6....", // row 17
        "..2.3..", // row 18
        ".112233", // row 19
    };
    std::memset(view.board, 0, sizeof view.board);
    int32 y = kWellRows - 3;
    for (const char* row : kRows) {
        for (int32 x = 0; x < kWellColumns; ++x)
            view.board[x][y] = row[x] == '.' ? kEmpty : static_cast<uint8>(row[x] - '0');
        ++y;
    }
    PlacePiece(view, 0, kLastRow, 4, 5, 1);
}

void FillWithGaps(TumbleView& view) {
    // Column x has every (x+2)th cell filled: gaps of 1 to 7 cells.
    for (int32 x = 0; x < kWellColumns; ++x)
        for (int32 y = 0; y < kWellRows; ++y)
            view.board[x][y] = y % (x + 2) == 0 ? static_cast<uint8>(x + 1) : kEmpty;
}

void PlacePiece(TumbleView& view, int32 column, int32 bottomRow, uint8 top, uint8 middle,
                uint8 bottom) {
    const uint8 colors[kPieceGems] = {top, middle, bottom};
    for (int32 gem = 0; gem < kPieceGems; ++gem) {
        view.piecePos[2 * gem] = static_cast<int8>(column);
        view.piecePos[2 * gem + 1] = static_cast<int8>(bottomRow - 2 + gem);
        view.pieceColor[gem] = colors[gem];
    }
}

void StartQuietRound(TumbleView& view) {
    view.StartGame();
    if (BWindow* window = view.Window())
        window->SetPulseRate(0);
    // A best score nobody beats keeps the score file untouched when a round ends.
    view.highScore = std::numeric_limits<int32>::max();
}
