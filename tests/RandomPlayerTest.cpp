// Whole rounds, headless: a random player presses keys between pulses until the entry column
// is blocked. With the same seed and the same keys a round replays exactly.
#include "tests/Board.h"

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using RandomPlayer = GameTest;

// -1 stands for a pulse; every other action is a key byte.
constexpr int kPulse = -1;
constexpr int kStepLimit = 100000;

struct Outcome {
    int32 score = 0;
    std::string well;
    size_t pauses = 0;
    int pieces = 0;
};

// Plays a round from StartGame; actions beyond the recorded ones are drawn from `player`.
Outcome Play(TumbleView& view, unsigned seed, std::vector<int>& actions, std::mt19937* player,
             const std::vector<bigtime_t>& pauses) {
    srand(seed);
    view.StartGame();
    Outcome out;
    const size_t pausesBefore = pauses.size();
    for (size_t step = 0; view.gameState != kIdle && step < kStepLimit; ++step) {
        if (step == actions.size()) {
            if (player == nullptr)
                break;
            const int pick = static_cast<int>((*player)() % 10);
            constexpr int kChoices[] = {B_LEFT_ARROW, B_LEFT_ARROW, B_RIGHT_ARROW, B_RIGHT_ARROW,
                                        B_UP_ARROW,   B_DOWN_ARROW, kPulse,        kPulse,
                                        kPulse,       kPulse};
            actions.push_back(kChoices[pick]);
        }
        const int8 before = view.piecePos[5];
        const int32 scoreBefore = view.score;
        if (actions[step] == kPulse) {
            view.Pulse();
        } else {
            const char key = static_cast<char>(actions[step]);
            view.KeyDown(&key, 1);
        }
        EXPECT_EQ(view.busy, 0);
        EXPECT_GE(view.score, scoreBefore);
        if (view.piecePos[5] < before)
            ++out.pieces;
    }
    out.score = view.score;
    out.well = BoardText(view);
    out.pauses = pauses.size() - pausesBefore;
    return out;
}

bool EntryBlocked(const TumbleView& view) {
    return view.board[3][0] != kEmpty || view.board[3][1] != kEmpty || view.board[3][2] != kEmpty;
}

TEST_F(RandomPlayer, RoundsEndAtABlockedEntryAndReplayExactly) {
    for (unsigned seed : {1u, 77u, 2024u}) {
        SCOPED_TRACE(seed);
        std::mt19937 player(seed * 7919u);
        std::vector<int> actions;
        const Outcome first = Play(*view, seed, actions, &player, pauses);
        ASSERT_EQ(view->gameState, kIdle) << "no end after " << kStepLimit << " steps";
        EXPECT_TRUE(EntryBlocked(*view));
        EXPECT_GT(first.pieces, 10);
        EXPECT_GE(view->highScore, first.score);

        const Outcome again = Play(*view, seed, actions, nullptr, pauses);
        EXPECT_EQ(view->gameState, kIdle);
        EXPECT_EQ(again.score, first.score);
        EXPECT_EQ(again.well, first.well);
        EXPECT_EQ(again.pauses, first.pauses);
        EXPECT_EQ(again.pauses % 2, 0u) << "clearing steps pause twice";
    }
}

} // namespace
