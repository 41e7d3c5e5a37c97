// A landing resolves the whole well in one DropSome: each clearing step shows itself with a
// Redraw before each of its two pauses, and chains follow within the same call.
#include "tests/Board.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Chain = GameTest;

constexpr int8 kNoPiece[6] = {0, 0, 0, 0, 0, 0};

struct PauseView {
    std::string well;
    int32 score;
    bool redrawn;
    uint8 busy;
    bool pieceOutOfPlay;
};

TEST_F(Chain, FallingGemsFormingARunAreClearedInTheSameCall) {
    SetBoard(*view, {"221...."});
    view->gameState = kRunning;
    PlacePiece(*view, 2, 18, "211");
    std::vector<PauseView> seen;
    onPause = [&] {
        seen.push_back({BoardText(*view, 16), view->score, ShowsBoard(*view), view->busy,
                        std::equal(view->piecePos, view->piecePos + 6, kNoPiece) &&
                            view->pieceColor[0] == 2 && view->pieceColor[1] == 1 &&
                            view->pieceColor[2] == 1});
        // A pulse or a down key that reached the view now must not tick.
        view->Pulse();
        Press(B_DOWN_ARROW);
        EXPECT_TRUE(std::equal(view->piecePos, view->piecePos + 6, kNoPiece));
        PaintMarker(*view);
    };
    PaintMarker(*view);

    view->DropSome();

    EXPECT_EQ(pauses, std::vector<bigtime_t>(4, CLEAR_PAUSE));
    ASSERT_EQ(seen.size(), 4u);
    const char* wells[] = {
        // The vertical 1s are gone; the 2 of the piece still hangs.
        "..2....\n.......\n.......\n22.....\n",
        // It fell three rows and completes the bottom row.
        ".......\n.......\n.......\n222....\n",
        ".......\n.......\n.......\n.......\n",
        ".......\n.......\n.......\n.......\n",
    };
    const int32 scores[] = {9, 9, 18, 18};
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].well, wells[i]);
        EXPECT_EQ(seen[i].score, scores[i]);
        EXPECT_TRUE(seen[i].redrawn) << "no Redraw before this pause";
        EXPECT_EQ(seen[i].busy, 1);
        EXPECT_TRUE(seen[i].pieceOutOfPlay);
    }
    EXPECT_EQ(view->score, 18);
    EXPECT_EQ(view->busy, 0);
    EXPECT_EQ(view->gameState, kRunning);
    const int8 spawned[6] = {3, 0, 3, 1, 3, 2};
    EXPECT_TRUE(std::equal(view->piecePos, view->piecePos + 6, spawned));
}

TEST_F(Chain, OneClearingStepPausesTwice) {
    SetBoard(*view, {"11....."});
    view->gameState = kRunning;
    PlacePiece(*view, 2, 19, "231");
    int redraws = 0;
    onPause = [&] {
        redraws += ShowsBoard(*view);
        PaintMarker(*view);
    };
    PaintMarker(*view);
    view->DropSome();
    EXPECT_EQ(pauses, std::vector<bigtime_t>(2, CLEAR_PAUSE));
    EXPECT_EQ(redraws, 2);
    EXPECT_EQ(view->busy, 0);
}

TEST_F(Chain, LandingWithoutRunSpawnsAtOnceWithoutDrawingOrPausing) {
    SetBoard(*view, {});
    view->gameState = kRunning;
    PlacePiece(*view, 0, 19, "123");
    PaintMarker(*view);

    view->DropSome();

    EXPECT_TRUE(pauses.empty());
    // No Redraw: the landed gems and the score strip are not drawn again.
    EXPECT_TRUE(ShowsMarker(*view, 0, 17));
    EXPECT_TRUE(ShowsMarker(*view, 0, 19));
    EXPECT_FALSE(ShowsBoard(*view));
    EXPECT_EQ(BoardText(*view, 17), "1......\n"
                                    "2......\n"
                                    "3......\n");
    const int8 spawned[6] = {3, 0, 3, 1, 3, 2};
    EXPECT_TRUE(std::equal(view->piecePos, view->piecePos + 6, spawned));
    EXPECT_FALSE(ShowsMarker(*view, 3, 2)) << "the new piece's bottom gem is drawn";
    EXPECT_EQ(view->busy, 0);
    EXPECT_EQ(view->score, 0);
}

} // namespace
