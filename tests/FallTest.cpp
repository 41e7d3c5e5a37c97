// One gravity tick: the piece falls a row while the cell under its bottom gem is free.
#include "tests/Board.h"

namespace {

using Fall = GameTest;

std::string PieceText(const TumbleView& view) {
    std::string s;
    for (int i = 0; i < 6; ++i)
        s += std::to_string(view.piecePos[i]) + (i < 5 ? "," : "");
    return s;
}

TEST_F(Fall, PieceFallsOneRowWhileTheCellUnderItIsEmpty) {
    SetBoard(*view, {
                        "1.1....",
                        "2.2....",
                    });
    view->gameState = kRunning;
    PlacePiece(*view, 1, 10, "123");
    view->DropSome();
    EXPECT_EQ(PieceText(*view), "1,9,1,10,1,11");
    // Gems beside the piece do not hold it up.
    PlacePiece(*view, 1, 17, "123");
    view->DropSome();
    EXPECT_EQ(PieceText(*view), "1,16,1,17,1,18");
    view->DropSome();
    EXPECT_EQ(PieceText(*view), "1,17,1,18,1,19");
    EXPECT_EQ(CountGems(*view), 4);
    EXPECT_EQ(view->pieceColor[2], 3);
    EXPECT_EQ(view->busy, 0);
    EXPECT_TRUE(pauses.empty());
}

TEST_F(Fall, PieceOnTheFloorLandsWhereItIs) {
    SetBoard(*view, {});
    view->gameState = kRunning;
    PlacePiece(*view, 5, 19, "123");
    view->DropSome();
    EXPECT_EQ(BoardText(*view, 17), ".....1.\n"
                                    ".....2.\n"
                                    ".....3.\n");
    EXPECT_EQ(PieceText(*view), "3,0,3,1,3,2") << "the next piece";
}

TEST_F(Fall, PieceLandsOnAGemOrAMagicGem) {
    for (const char* floor : {"......5", "......M"}) {
        SCOPED_TRACE(floor);
        SetBoard(*view, {floor});
        view->gameState = kRunning;
        PlacePiece(*view, 6, 18, "123");
        view->DropSome();
        EXPECT_EQ(BoardText(*view, 16), "......1\n"
                                        "......2\n"
                                        "......3\n" +
                                            std::string(floor) + "\n");
        EXPECT_EQ(view->busy, 0);
    }
}

} // namespace
