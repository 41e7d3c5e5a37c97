// A landing resolves the whole well in one DropSome: runs score and vanish, the gems above
// collapse, and each clearing step shows itself with a Redraw before each of its two pauses.
#include "tests/GameTest.h"

namespace {

using Rules = GameTest;

struct Landing {
    const char* what;
    const char* board;
    int column, bottomRow;
    const char* gems; // the piece, top first
    int32 points;
    size_t steps; // clearing steps
    const char* after;
};

TEST_F(Rules, LandingScoresClearsAndCollapses) {
    const Landing cases[] = {
        {"3 in a row", "11.....", 2, 19, "231", 9, 1, "..2....\n..3....\n"},
        {"4 in a row", "111....", 3, 19, "231", 25, 1, "...2...\n...3...\n"},
        {"5 in a row", "1111...", 4, 19, "231", 50, 1, "....2..\n....3..\n"},
        {"6 in a row", "11111..", 5, 19, "231", 86, 1, ".....2.\n.....3.\n"},
        {"7 in a row", "111111.", 6, 19, "231", 135, 1, "......2\n......3\n"},
        {"diagonal of 4",
         "1......\n"
         "21.....\n"
         "351....\n"
         "462....",
         3, 19, "671", 25, 1, "2......\n35.6...\n4627...\n"},
        {"lone magic runs over empty cells", "...M...", 0, 19, "121", 16, 1,
         "1......\n2......\n1......\n"},
        {"gem, magic, gem", "1M.....", 2, 19, "342", 9, 1, ".......\n..3....\n..4....\n"},
        {"gem, magic, empty", "1M.....", 3, 19, "342", 9, 1, "...3...\n...4...\n...2...\n"},
        {"gems above a run fall",
         "2.5....\n"
         "111....",
         3, 19, "671", 25, 1, ".......\n...6...\n2.57...\n"},
        {"a cell in two runs", ".11....", 0, 19, "111", 18, 1, ".......\n.......\n.......\n"},
        {"row run stops at the right wall", "....11.1", 6, 19, "231", 9, 1, "......2\n......3\n"},
        {"down-left run stops at the left wall",
         ".12....\n"
         "134....\n"
         "567...1",
         2, 16, "231", 9, 1, "..2....\n..3....\n..2....\n.34....\n567...1\n"},
        {"falling gems complete a run", "221....", 2, 18, "211", 18, 2,
         ".......\n.......\n.......\n.......\n"},
        {"no run: lands on the floor", "", 5, 19, "123", 0, 0, ".....1.\n.....2.\n.....3.\n"},
        {"no run: lands on a gem", "......5", 6, 18, "123", 0, 0,
         "......1\n......2\n......3\n......5\n"},
        {"no run: lands on magic", "......M", 6, 18, "123", 0, 0,
         "......1\n......2\n......3\n......M\n"},
    };
    for (const Landing& c : cases) {
        SCOPED_TRACE(c.what);
        SetBoard(*view, c.board);
        view->score = 0;
        view->gameState = kRunning;
        PlacePiece(*view, c.column, c.bottomRow, c.gems);
        pauses.clear();
        int redraws = 0;
        onPause = [&] {
            redraws += ShowsBoard(*view);
            EXPECT_EQ(view->busy, 1);
            EXPECT_EQ(PieceText(*view).substr(0, 12), "0,0,0,0,0,0,") << "the piece is out of play";
            view->Pulse(); // a pulse or a down key that reached the view now must not tick
            Press(B_DOWN_ARROW);
            PaintMarker(*view);
        };
        PaintMarker(*view);
        view->DropSome();
        EXPECT_EQ(view->score, c.points);
        EXPECT_EQ(LowRows(*view, c.after), c.after);
        EXPECT_EQ(pauses, std::vector<bigtime_t>(2 * c.steps, CLEAR_PAUSE));
        EXPECT_EQ(redraws, static_cast<int>(2 * c.steps)) << "a Redraw before each pause";
        EXPECT_EQ(view->busy, 0);
        EXPECT_EQ(PieceText(*view).substr(0, 12), "3,0,3,1,3,2,") << "the next piece";
        if (c.steps == 0) { // nothing drawn again: the landed gem still shows the marker
            EXPECT_TRUE(ShowsMarker(*view, c.column, c.bottomRow));
        }
    }
}

TEST_F(Rules, DownwardRunsStopAtTheFloor) {
    SetBoard(*view, "..2....\n"
                    "...2...\n"
                    "....2..");
    // Gems in row 0 where a run past row 19 would read on in the next columns.
    view->board[1][0] = 1;
    view->board[6][0] = 2;
    view->gameState = kRunning;
    PlacePiece(*view, 0, 19, "111");
    view->DropSome();
    EXPECT_EQ(view->score, 9 + 9);
    // The lone gems fall from row 0; a gap of 19 keeps two empty cells under them.
    EXPECT_EQ(BoardText(*view, 17), ".1....2\n.......\n.......\n");
}

TEST_F(Rules, ChainClearsTheFallenGemsInTheSameCall) {
    SetBoard(*view, "221....");
    view->gameState = kRunning;
    PlacePiece(*view, 2, 18, "211");
    std::string seen;
    onPause = [&] { seen += BoardText(*view, 16) + std::to_string(view->score) + "\n"; };
    view->DropSome();
    // The vertical 1s go; the 2 of the piece still hangs, then falls three rows and completes
    // the bottom row.
    EXPECT_EQ(seen, "..2....\n.......\n.......\n22.....\n9\n"
                    ".......\n.......\n.......\n222....\n9\n"
                    ".......\n.......\n.......\n.......\n18\n"
                    ".......\n.......\n.......\n.......\n18\n");
}

TEST_F(Rules, PieceFallsOneRowWhileTheCellUnderItIsEmpty) {
    SetBoard(*view, "1.1....\n"
                    "2.2....");
    view->gameState = kRunning;
    PlacePiece(*view, 1, 17, "123");
    view->DropSome(); // gems beside the piece do not hold it up
    EXPECT_EQ(PieceText(*view), "1,16,1,17,1,18,123");
    view->DropSome();
    EXPECT_EQ(PieceText(*view), "1,17,1,18,1,19,123");
    EXPECT_EQ(CountGems(*view), 4);
    EXPECT_TRUE(pauses.empty());
}

TEST_F(Rules, ShiftArrayHalvesAGapThreeTimes) {
    const struct {
        int gap, left;
    } cases[] = {{1, 0}, {2, 0}, {7, 0}, {8, 1}, {15, 1}, {16, 2}, {19, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.gap);
        SetBoard(*view, "");
        view->board[0][19 - c.gap] = 5;
        view->ShiftArray();
        EXPECT_EQ(view->board[0][19 - c.left], 5);
        EXPECT_EQ(CountGems(*view), 1);
    }
}

TEST_F(Rules, ShiftArrayMovesStacksTogetherAndEachColumnAlone) {
    // Column 0: a gap of 3 between the 1 and the 2, a gap of 8 under the 2.
    SetBoard(*view, "1......\n.......\n.......\n.......\n2......\n"
                    ".......\n.......\n.......\n.......\n.......\n.......\n.......\n.......");
    view->ShiftArray();
    EXPECT_EQ(BoardText(*view, 16), ".......\n1......\n2......\n.......\n");
    SetBoard(*view, "12.....4\n"
                    "34..5..\n"
                    ".......\n"
                    ".6...7.\n"
                    "....1..");
    view->ShiftArray();
    EXPECT_EQ(BoardText(*view, 15), ".......\n"
                                    ".......\n"
                                    ".2.....\n"
                                    "14..5..\n"
                                    "36..17.\n");
    EXPECT_EQ(view->board[7][15], 4) << "the scratch column is not the well's";
}

} // namespace
