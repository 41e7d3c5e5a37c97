// Steering the falling piece: the walls, the gems beside it, rotation, and what is drawn.
#include "tests/GameTest.h"

namespace {

using Moves = GameTest;

// The piece stands in rows 16 to 18; the walls and the gems beside it decide each way.
TEST_F(Moves, WallsAndAGemBesideAnyGemOfThePieceRefuseTheMove) {
    const struct {
        const char* what;
        const char* board;
        int column;
        bool left, right;
    } cases[] = {
        {"the left wall", "", 0, false, true},
        {"the right wall", "", 6, true, false},
        {"gems only under the piece's row", "..1.2..", 3, true, true},
        {"beside the bottom gem",
         "..1.2..\n"
         "..3.4..",
         3, false, false},
        {"beside the middle gem, over a hole",
         "..1.2..\n"
         ".......\n"
         "..3.4..",
         3, false, false},
        {"beside the top gem, over a hole",
         "..1.2..\n"
         ".......\n"
         ".......\n"
         "..3.4..",
         3, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetBoard(*view, c.board);
        view->gameState = kRunning;
        for (char key : {B_LEFT_ARROW, B_RIGHT_ARROW}) {
            PlacePiece(*view, c.column, 18, "567");
            view->drawOn = 1;
            view->DrawPiece();
            const std::string board = BoardText(*view);
            const QImage picture = view->Snapshot();
            Press(key);
            const bool moves = key == B_LEFT_ARROW ? c.left : c.right;
            const int column = c.column + (moves ? (key == B_LEFT_ARROW ? -1 : 1) : 0);
            EXPECT_EQ(PieceText(*view), std::to_string(column) + ",16," + std::to_string(column) +
                                            ",17," + std::to_string(column) + ",18,567");
            EXPECT_EQ(BoardText(*view), board);
            EXPECT_EQ(view->Snapshot() == picture, !moves);
        }
    }
}

TEST_F(Moves, RotationCyclesTheValuesDownwards) {
    view->gameState = kRunning;
    PlacePiece(*view, 3, 12, "123");
    view->Rotate();
    EXPECT_EQ(PieceText(*view), "3,10,3,11,3,12,312");
    const QImage img = view->Snapshot();
    EXPECT_EQ(CellCenter(img, 3, 10), (Rgb{70, 70, 250}));
    EXPECT_EQ(CellCenter(img, 3, 11), (Rgb{250, 70, 70}));
    EXPECT_EQ(CellCenter(img, 3, 12), (Rgb{70, 250, 70}));
    view->Rotate();
    view->Rotate();
    EXPECT_EQ(PieceText(*view), "3,10,3,11,3,12,123");
}

TEST_F(Moves, MovedPieceIsDrawnAtItsNewCellsAndErasedFromItsOld) {
    FillView(*view, {1, 99, 7, 255});
    view->gameState = kRunning;
    PlacePiece(*view, 3, 12, "1M4");
    view->drawOn = 1;
    view->DrawPiece();
    view->MoveRight();
    const QImage img = view->Snapshot();
    EXPECT_TRUE(FilledExactly(img, BRect(70, 170, 89, 229), kWhite));
    EXPECT_EQ(CellCenter(img, 4, 10), (Rgb{250, 70, 70}));
    EXPECT_EQ(CellCenter(img, 4, 11), (Rgb{0, 0, 200}));
    EXPECT_EQ(CellCenter(img, 4, 12), (Rgb{70, 70, 70}));
    // A fresh piece shows only its bottom gem, so only that cell is erased.
    FillView(*view, {1, 99, 7, 255});
    PlacePiece(*view, 3, 2, "123");
    view->MoveLeft();
    EXPECT_TRUE(FilledExactly(view->Snapshot(), BRect(70, 10, 89, 29), kWhite));
    EXPECT_EQ(CellCenter(view->Snapshot(), 2, 2), (Rgb{70, 70, 250}));
}

} // namespace
