// A landing resolves the well in one DropSome: runs score and vanish, the gems above collapse,
// and each clearing step shows itself before its two pauses.
#include "tests/GameTest.h"

namespace {

using Rules = GameTest;

// The well before and after, side by side.
TEST_F(Rules, LandingScoresClearsAndCollapses) {
    const struct {
        const char* what;
        int32 points;
        size_t steps; // of clearing
        const char* boards;
    } cases[] = {
        {"lands on the floor: two gems and a magic are no run", 0, 0,
         "......a  ......1\n"
         "......b  ......2\n"
         ".....Mc  .....M3"},
        // The eighth column is the scratch cell, not the well's.
        {"a row of 4 to the wall scores 16, then 9 from its second gem; the gems above fall", 25, 1,
         "...f...   .......\n"
         "..2g5..   ...6...\n"
         "...a1111  ..275.."},
        {"both diagonals, the one down to the left up to the wall", 18, 1,
         "..a....  .......\n"
         ".1b1...  ..2....\n"
         "15c61..  .536..."},
        {"magic matches any gem and empty cells alike", 49 + 36 + 25, 1,
         "a......  .......\n"
         "b......  1......\n"
         "a1M....  2......"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto [before, after] = SideBySide(c.boards);
        SetBoard(*view, before.c_str());
        view->score = 0;
        view->gameState = kRunning;
        pauses.clear();
        std::string seen;
        onPause = [&] {
            seen += MisdrawnCell(*view);
            EXPECT_EQ(view->busy, 1);
            EXPECT_EQ(PieceText(*view).substr(0, 12), "0,0,0,0,0,0,") << "the piece is out of play";
            view->Pulse(); // a pulse or a down key that reached the view now must not tick
            Press(B_DOWN_ARROW);
            PaintMarker(*view);
        };
        PaintMarker(*view); // nothing is drawn after the last pause
        view->DropSome();
        EXPECT_EQ(view->score, c.points);
        EXPECT_EQ(LowRows(*view, after), after);
        EXPECT_EQ(pauses, std::vector<bigtime_t>(2 * c.steps, CLEAR_PAUSE));
        EXPECT_EQ(seen, "") << "each pause shows the well as it is";
        EXPECT_EQ(view->busy, 0);
        EXPECT_EQ(PieceText(*view).substr(0, 12), "3,0,3,1,3,2,") << "the next piece";
        EXPECT_TRUE(ShowsMarker(*view, 0, kLastRow));
    }
}

TEST_F(Rules, EachStepShowsTheClearedCellsThenTheCollapse) {
    SetBoard(*view, "..b....\n"
                    "..a....\n"
                    "..a....\n"
                    "221....");
    view->gameState = kRunning;
    std::string seen;
    onPause = [&] { seen += BoardText(*view, 16) + std::to_string(view->score) + "\n"; };
    view->DropSome();
    // The 2 of the piece falls three rows and completes the bottom row.
    EXPECT_EQ(seen, "..2....\n.......\n.......\n22.....\n9\n"
                    ".......\n.......\n.......\n222....\n9\n"
                    ".......\n.......\n.......\n.......\n18\n"
                    ".......\n.......\n.......\n.......\n18\n");
}

// Three passes, each moving what lies above every empty cell down a row, can leave holes.
TEST_F(Rules, CollapseHalvesEachGapThreeTimes) {
    const int gap[kWellColumns] = {1, 2, 7, 8, 15, 16, 19}, left[] = {0, 0, 0, 1, 1, 2, 2};
    SetBoard(*view, "");
    for (int x = 0; x < kWellColumns; ++x)
        view->board[x][kLastRow - gap[x]] = static_cast<uint8>(x + 1);
    view->board[kWellColumns][5] = 1; // the scratch column stays
    view->ShiftArray();
    for (int x = 0; x < kWellColumns; ++x)
        EXPECT_EQ(view->board[x][kLastRow - left[x]], x + 1) << "column " << x;
    EXPECT_EQ(CountGems(*view), kWellColumns);
    EXPECT_EQ(view->board[kWellColumns][5], 1);
}

} // namespace
