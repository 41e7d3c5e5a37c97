// Whole rounds, headless: a random player presses keys between pulses until the entry column
// is blocked. With the same seed and the same keys a round replays exactly.
#include "tests/GameTest.h"

#include <cstdlib>
#include <random>

namespace {

using RandomPlayer = GameTest;

constexpr char kPulse = 0; // every other action is a key byte
constexpr size_t kStepLimit = 100000;

// Plays a round from StartGame: the recorded actions, then (with a player) more of its choice
// until the round ends. Gives the well, the score and the pauses it ended with.
std::string Play(TumbleView& view, unsigned seed, std::string& actions, std::mt19937* player,
                 int& pieces) {
    constexpr char kChoices[] = {B_LEFT_ARROW, B_LEFT_ARROW, B_RIGHT_ARROW, B_RIGHT_ARROW,
                                 B_UP_ARROW,   B_DOWN_ARROW, kPulse,        kPulse,
                                 kPulse,       kPulse};
    srand(seed);
    view.StartGame();
    GameTest::pauses.clear();
    for (size_t step = 0; view.gameState != kIdle && step < kStepLimit; ++step) {
        if (step == actions.size() && player == nullptr)
            break;
        if (step == actions.size())
            actions += kChoices[(*player)() % 10];
        const int8 row = view.piecePos[5];
        const int32 score = view.score;
        if (actions[step] == kPulse)
            view.Pulse();
        else
            view.KeyDown(&actions[step], 1);
        EXPECT_EQ(view.busy, 0);
        EXPECT_GE(view.score, score);
        pieces += view.piecePos[5] < row;
    }
    return BoardText(view) + "score " + std::to_string(view.score) + ", pauses " +
           std::to_string(GameTest::pauses.size());
}

TEST_F(RandomPlayer, RoundsEndAtABlockedEntryAndReplayExactly) {
    for (unsigned seed : {1u, 77u, 2024u}) {
        SCOPED_TRACE(seed);
        std::mt19937 player(seed * 7919u);
        std::string actions;
        int pieces = 0;
        const std::string first = Play(*view, seed, actions, &player, pieces);
        ASSERT_EQ(view->gameState, kIdle) << "no end after " << kStepLimit << " steps";
        EXPECT_NE(view->board[3][0] | view->board[3][1] | view->board[3][2], kEmpty);
        EXPECT_GT(pieces, 10);
        EXPECT_GE(view->highScore, view->score);
        EXPECT_EQ(pauses.size() % 2, 0u) << "clearing steps pause twice";
        EXPECT_EQ(Play(*view, seed, actions, nullptr, pieces), first);
        EXPECT_EQ(view->gameState, kIdle);
    }
}

} // namespace
