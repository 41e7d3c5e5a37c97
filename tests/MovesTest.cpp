// Steering the falling piece: a wall or a gem beside any of its gems stops a move, up rotates
// the values down, down lets it fall a row. The screen follows.
#include "tests/GameTest.h"

namespace {

using Moves = GameTest;

// The well before and after the key, side by side.
TEST_F(Moves, KeysMoveOrRotateThePiece) {
    const struct {
        char key;
        const char* boards;
    } cases[] = {
        {B_LEFT_ARROW, "a......  a......\n"
                       "b......  b......\n"
                       "c......  c......"},
        {B_RIGHT_ARROW, "......a  ......a\n"
                        "......b  ......b\n"
                        "......c  ......c"},
        {B_LEFT_ARROW, // a hole under the piece
         "..1a...  ..1a...\n"
         "...b...  ...b...\n"
         "...c...  ...c...\n"
         ".......  ......."},
        {B_RIGHT_ARROW, "...a...  ...a...\n"
                        "...b...  ...b...\n"
                        "...c2..  ...c2..\n"
                        ".......  ......."},
        {B_LEFT_ARROW, // gems under the piece's rows do not stop it
         "...a...  ..a....\n"
         "...b...  ..b....\n"
         "...c...  ..c....\n"
         "..1.2..  ..1.2.."},
        {B_DOWN_ARROW, // falls while the cell under it is empty, whatever is beside it
         "1a1....  1.1....\n"
         "2b2....  2a2....\n"
         "1c1....  1b1....\n"
         "2.2....  2c2...."},
        {B_UP_ARROW, "...a...  ...d...\n"
                     "...m...  ...a...\n"
                     "...d...  ...m..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.boards);
        const auto [before, after] = SideBySide(c.boards);
        SetBoard(*view, before.c_str());
        view->gameState = kRunning;
        view->Redraw();
        Press(c.key);
        EXPECT_EQ(LowRows(*view, after), after);
        EXPECT_EQ(MisdrawnCell(*view), "");
    }
}

} // namespace
