// The collapse after a clearing: three halving passes per column, so wide gaps leave holes.
#include "tests/Board.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {

using ShiftArray = GameTest;

// What three passes leave of a gap of k cells under a gem: k/2 per pass, the half cell dropped.
int GapAfterThreePasses(int k) {
    if (k <= 7)
        return 0;
    return k <= 15 ? 1 : 2;
}

TEST_F(ShiftArray, GapUnderAGemShrinksByHalfThreeTimes) {
    for (int k = 1; k <= 19; ++k) {
        SCOPED_TRACE(k);
        SetBoard(*view, {});
        view->board[0][19 - k] = 5;
        view->ShiftArray();
        EXPECT_EQ(view->board[0][19 - GapAfterThreePasses(k)], 5);
        EXPECT_EQ(CountGems(*view), 1);
    }
}

TEST_F(ShiftArray, GapsOfOneColumnShrinkIndependently) {
    // Column 0: a gap of 3 between the 1 and the 2, a gap of 8 under the 2.
    SetBoard(*view, {
                        "1......",
                        ".......",
                        ".......",
                        ".......",
                        "2......",
                        ".......",
                        ".......",
                        ".......",
                        ".......",
                        ".......",
                        ".......",
                        ".......",
                        ".......",
                    });
    view->ShiftArray();
    EXPECT_EQ(BoardText(*view, 16), ".......\n"
                                    "1......\n"
                                    "2......\n"
                                    ".......\n");
}

TEST_F(ShiftArray, StacksFallTogetherAndEachColumnAlone) {
    SetBoard(*view, {
                        "12.....",
                        "34..5..",
                        ".......",
                        ".6...7.",
                        "....1..",
                    });
    view->ShiftArray();
    EXPECT_EQ(BoardText(*view, 15), ".......\n"
                                    ".......\n"
                                    ".2.....\n"
                                    "14..5..\n"
                                    "36..17.\n");
}

// Column x from the bottom: the gems in order, each with the gap under it.
struct Stack {
    std::vector<uint8> gems;
    std::vector<int> gapUnder;
};

Stack ReadColumn(const TumbleView& view, int x) {
    Stack s;
    int gap = 0;
    for (int y = kLastRow; y >= 0; --y) {
        if (view.board[x][y] == kEmpty) {
            ++gap;
            continue;
        }
        s.gems.push_back(view.board[x][y]);
        s.gapUnder.push_back(gap);
        gap = 0;
    }
    return s;
}

TEST_F(ShiftArray, RandomBoardsKeepEveryGemInOrderAndHalveEveryGap) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        const int emptyChance = static_cast<int>(rng() % 100);
        for (int x = 0; x < kBoardColumns; ++x) {
            for (int y = 0; y < kWellRows; ++y) {
                const bool empty = static_cast<int>(rng() % 100) < emptyChance;
                view->board[x][y] = empty ? kEmpty : static_cast<uint8>(rng() % 8 + 1);
            }
        }
        const int gemsBefore = CountGems(*view);
        uint8 columnSeven[kWellRows];
        std::copy(std::begin(view->board[7]), std::end(view->board[7]), columnSeven);
        Stack before[kWellColumns];
        for (int x = 0; x < kWellColumns; ++x)
            before[x] = ReadColumn(*view, x);

        view->ShiftArray();

        EXPECT_EQ(CountGems(*view), gemsBefore);
        EXPECT_TRUE(std::equal(std::begin(columnSeven), std::end(columnSeven), view->board[7]));
        for (int x = 0; x < kWellColumns; ++x) {
            const Stack after = ReadColumn(*view, x);
            ASSERT_EQ(after.gems, before[x].gems) << "column " << x;
            for (size_t i = 0; i < after.gapUnder.size(); ++i)
                EXPECT_EQ(after.gapUnder[i], GapAfterThreePasses(before[x].gapUnder[i]))
                    << "column " << x << ", gem " << i << " from the bottom";
        }
    }
}

} // namespace
