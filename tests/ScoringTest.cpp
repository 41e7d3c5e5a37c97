// What a landing scores and clears. Each case lands a piece (gems listed top first) and lets
// the one DropSome resolve the well.
#include "tests/Board.h"

namespace {

using Scoring = GameTest;

void Land(TumbleView& view, int x, int bottomRow, const char* gems) {
    view.gameState = kRunning;
    PlacePiece(view, x, bottomRow, gems);
    view.DropSome();
}

struct LineCase {
    const char* row;
    int pieceColumn;
    int points;
    const char* after;
};

TEST_F(Scoring, LineOfEqualGemsScoresEachLaterStartAgain) {
    // The piece's bottom 1 completes the row; its 2 and 3 then fall to the floor.
    const LineCase cases[] = {
        {"11.....", 2, 9, "..2....\n..3....\n"},   {"111....", 3, 25, "...2...\n...3...\n"},
        {"1111...", 4, 50, "....2..\n....3..\n"},  {"11111..", 5, 86, ".....2.\n.....3.\n"},
        {"111111.", 6, 135, "......2\n......3\n"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.row);
        SetBoard(*view, {c.row});
        view->score = 0;
        Land(*view, c.pieceColumn, 19, "231");
        EXPECT_EQ(view->score, c.points);
        EXPECT_EQ(BoardText(*view, 18), c.after);
    }
}

TEST_F(Scoring, DiagonalOfFourScoresTwentyFive) {
    SetBoard(*view, {
                        "1......",
                        "21.....",
                        "351....",
                        "462....",
                    });
    Land(*view, 3, 19, "671");
    EXPECT_EQ(view->score, 16 + 9);
    EXPECT_EQ(BoardText(*view, 16), ".......\n"
                                    "2......\n"
                                    "35.6...\n"
                                    "4627...\n");
}

TEST_F(Scoring, LoneMagicGemRunsOverEmptyCellsToTheWall) {
    SetBoard(*view, {"...M..."});
    // A harmless piece elsewhere: the search covers the whole well, not just the landing.
    Land(*view, 0, 19, "121");
    EXPECT_EQ(view->score, 16);
    EXPECT_EQ(BoardText(*view, 17), "1......\n"
                                    "2......\n"
                                    "1......\n");
}

TEST_F(Scoring, MagicGemJoinsTwoColours) {
    SetBoard(*view, {"1M....."});
    Land(*view, 2, 19, "342");
    EXPECT_EQ(view->score, 9);
    EXPECT_EQ(BoardText(*view, 17), ".......\n"
                                    "..3....\n"
                                    "..4....\n");
}

TEST_F(Scoring, GemThenMagicThenEmptyCellIsARun) {
    SetBoard(*view, {"1M....."});
    Land(*view, 3, 19, "342");
    EXPECT_EQ(view->score, 9);
    EXPECT_EQ(BoardText(*view, 17), "...3...\n"
                                    "...4...\n"
                                    "...2...\n");
}

TEST_F(Scoring, FourInTheBottomRowScoreTwentyFiveAndTheGemsAboveFall) {
    SetBoard(*view, {
                        "2.5....",
                        "111....",
                    });
    Land(*view, 3, 19, "671");
    EXPECT_EQ(view->score, 16 + 9);
    EXPECT_EQ(BoardText(*view, 17), ".......\n"
                                    "...6...\n"
                                    "2.57...\n");
}

TEST_F(Scoring, CellInTwoRunsScoresInBothAndIsClearedOnce) {
    SetBoard(*view, {".11...."});
    Land(*view, 0, 19, "111");
    EXPECT_EQ(view->score, 9 + 9);
    EXPECT_EQ(CountGems(*view), 0);
    EXPECT_EQ(pauses.size(), 2u) << "one clearing step";
}

TEST_F(Scoring, RowRunStopsAtTheRightWall) {
    SetBoard(*view, {"....11."});
    view->board[7][19] = 1; // the scratch column beyond the wall must not extend the run
    Land(*view, 6, 19, "231");
    EXPECT_EQ(view->score, 9);
    EXPECT_EQ(BoardText(*view, 18), "......2\n"
                                    "......3\n");
}

TEST_F(Scoring, DownLeftRunStopsAtTheLeftWall) {
    // The run (2,16) (1,17) (0,18) would go on at (6,19) if it wrapped around.
    SetBoard(*view, {
                        ".12....",
                        "134....",
                        "567...1",
                    });
    Land(*view, 2, 16, "231");
    EXPECT_EQ(view->score, 9);
    EXPECT_EQ(BoardText(*view, 15), "..2....\n"
                                    "..3....\n"
                                    "..2....\n"
                                    ".34....\n"
                                    "567...1\n");
}

TEST_F(Scoring, DownwardRunsStopAtTheFloor) {
    SetBoard(*view, {
                        "..2....",
                        "...2...",
                        "....2..",
                    });
    // Gems in row 0 where a run past row 19 would read on in the next columns.
    view->board[1][0] = 1;
    view->board[6][0] = 2;
    Land(*view, 0, 19, "111");
    EXPECT_EQ(view->score, 9 + 9);
    // The two lone gems fall from row 0; a gap of 19 keeps two empty cells under them.
    EXPECT_EQ(BoardText(*view, 16), ".......\n"
                                    ".1....2\n"
                                    ".......\n"
                                    ".......\n");
}

} // namespace
