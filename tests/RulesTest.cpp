// Steering and landing. A wall or a gem beside any of the piece's gems stops a move, up rotates
// the values down, down lets it fall a row or lands it; a landing resolves the well in one
// DropSome: runs score and vanish, the gems above collapse, each step shown before its pauses.
#include "tests/GameTest.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

using Rules = GameTest;

// The well before and after the keys (\x1c left, \x1d right, \x1e up, \x1f down), side by
// side. The eighth column is the scratch cell.
TEST_F(Rules, KeysMoveThePieceAndLandingsScoreClearAndCollapse) {
    const struct {
        const char* keys;
        int32 points;
        size_t steps; // of clearing
        const char* boards;
        const char* shown = nullptr; // the lowest rows and the score at each pause
    } cases[] = {
        {"\x1c\x1c\x1e", 0, 0, // to the wall and no further; up rotates the values down
         ".a.....  d......\n"
         ".m.....  a......\n"
         ".d.....  m......"},
        {"\x1d\x1d", 0, 0,
         ".....a.  ......a\n"
         ".....b.  ......b\n"
         ".....c.  ......c"},
        {"\x1c\x1c", 0, 0, // gems under the piece's rows do not stop it, one beside it does
         ".1.a...  .1a....\n"
         "...b...  ..b....\n"
         "...c...  ..c....\n"
         "..1.2..  ..1.2.."},
        {"\x1d", 0, 0,
         "...a...  ...a...\n"
         "...b...  ...b...\n"
         "...c2..  ...c2.."},
        {"\x1f", 0, 0, // falls while the cell under it is empty, whatever is beside it
         "1a1....  1.1....\n"
         "2b2....  2a2....\n"
         "1c1....  1b1....\n"
         "2.2....  2c2...."},
        {"\x1f", 0, 0, // on the floor: two gems and a magic are no run
         "......a  ......1\n"
         "......b  ......2\n"
         ".....Mc  .....M3"},
        {"\x1f", 25, 1, // a row of 4 to the wall scores 16, then 9 from its second gem
         "...f...   .......\n"
         "..2g5..   ...6...\n"
         "...a1111  ..275.."},
        {"\x1f", 18, 1, // both diagonals, the one down to the left up to the wall
         "..a....  .......\n"
         ".1b1...  ..2....\n"
         "15c61..  .536..."},
        {"\x1f", 49 + 36 + 25, 1, // magic matches any gem and empty cells alike
         "a......  .......\n"
         "b......  1......\n"
         "a1M....  2......"},
        {"\x1f", 18, 2, // the 2 falls three rows and completes the bottom row
         "..b....  .......\n"
         "..a....  .......\n"
         "..a....  .......\n"
         "221....  .......",
         "..2....\n.......\n.......\n22.....\n9\n.......\n.......\n.......\n222....\n9\n"
         ".......\n.......\n.......\n.......\n18\n.......\n.......\n.......\n.......\n18\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.boards);
        const auto [before, after] = SideBySide(c.boards);
        SetBoard(*view, before.c_str());
        view->score = 0;
        view->gameState = kRunning;
        view->Redraw();
        pauses.clear();
        std::string misdrawn, shown;
        onPause = [&] {
            misdrawn += MisdrawnCell(*view);
            shown += BoardText(*view, 16) + std::to_string(view->score) + "\n";
            EXPECT_EQ(view->busy, 1);
            EXPECT_EQ(PieceText(*view).substr(0, 12), "0,0,0,0,0,0,") << "the piece is out of play";
            view->Pulse(); // a pulse or a down key that reached the view now must not tick
            Press(B_DOWN_ARROW);
            PaintMarker(*view);
        };
        for (const char* key = c.keys; *key != '\0'; ++key)
            Press(*key);
        EXPECT_EQ(view->score, c.points);
        EXPECT_EQ(LowRows(*view, after), after);
        EXPECT_EQ(pauses, std::vector<bigtime_t>(2 * c.steps, CLEAR_PAUSE));
        EXPECT_EQ(misdrawn + (c.steps > 0 ? "" : MisdrawnCell(*view)), "") << "the well as it is";
        EXPECT_EQ(ShowsMarker(*view, 0, kLastRow), c.steps > 0) << "nothing drawn after the pauses";
        EXPECT_EQ(shown, c.shown != nullptr ? c.shown : shown);
        EXPECT_EQ(view->busy, 0);
    }
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
    EXPECT_EQ(std::ranges::count_if(BoardText(*view), ::isdigit), kWellColumns);
    EXPECT_EQ(view->board[kWellColumns][5], 1);
}
