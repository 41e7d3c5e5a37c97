// Play: the operations a round is made of, and a whole game played by a random player.
// Each operation runs twice: on a shown window (/shown:1), where every Sync puts the frame on
// screen through the platform's backing store, and on a view never shown (/shown:0), where
// Sync has nothing to do; the difference is the platform's share.
#include "bench/Counters.h"
#include "bench/Scenes.h"

#include "platform/Snooze.h"

#include <cstdlib>
#include <cstring>
#include <random>

namespace {

void NoPause(bigtime_t) {}

TumbleView& PlayView(const benchmark::State& state) {
    static TumbleView& hidden = KeptView();
    TumbleView& view = state.range(0) != 0 ? *SharedShownStage().view : hidden;
    StartQuietRound(view);
    return view;
}

void BM_MoveLeftRight(benchmark::State& state) {
    TumbleView& view = PlayView(state);
    PlacePiece(view, 3, 10, "123");
    view.DrawPiece();
    {
        AllocationMeter meter(state);
        for (auto _ : state) {
            view.MoveLeft();
            view.MoveRight();
        }
    }
    state.SetItemsProcessed(2 * state.iterations());
}
BENCHMARK(BM_MoveLeftRight)->ArgName("shown")->Arg(0)->Arg(1);

void BM_Rotate(benchmark::State& state) {
    TumbleView& view = PlayView(state);
    PlacePiece(view, 3, 10, "1M3");
    view.DrawPiece();
    AllocationMeter meter(state);
    for (auto _ : state)
        view.Rotate();
}
BENCHMARK(BM_Rotate)->ArgName("shown")->Arg(0)->Arg(1);

void BM_FallingTick(benchmark::State& state) {
    TumbleView& view = PlayView(state);
    PlacePiece(view, 3, 2, "123");
    AllocationMeter meter(state);
    for (auto _ : state) {
        view.DropSome();
        if (view.piecePos[5] == kLastFallRow) // start over before it lands
            PlacePiece(view, 3, 2, "123");
    }
}
BENCHMARK(BM_FallingTick)->ArgName("shown")->Arg(0)->Arg(1);

// The piece lands on a well filled to row 5 and makes no run; the next piece enters.
void BM_LandingNoRun(benchmark::State& state) {
    TumbleView& view = PlayView(state);
    constexpr int32 kTop = 5;
    FillDenseNoRun(view, kTop);
    view.Redraw();
    Board start;
    std::memcpy(start, view.board, sizeof start);
    // The piece continues column 0's pattern upwards.
    char gems[kPieceGems + 1] = {};
    for (int32 gem = 0; gem < kPieceGems; ++gem)
        gems[gem] = static_cast<char>('0' + DenseNoRunValue(0, kTop - kPieceGems + gem));
    const auto land = [&] {
        std::memcpy(view.board, start, sizeof start);
        PlacePiece(view, 0, kTop - 1, gems);
        view.DropSome();
    };
    land();
    AllocationMeter meter(state);
    for (auto _ : state)
        land();
}
BENCHMARK(BM_LandingNoRun)->ArgName("shown")->Arg(0)->Arg(1);

// Three clearing steps, each with its two Redraws; the pauses are skipped. With new_scores:1
// the score keeps growing, so every step's score line is new text to lay out; with 0 each
// landing starts from the same score and the lines are the ones laid out before.
void BM_LandingChain(benchmark::State& state) {
    TumbleView& view = PlayView(state);
    const bool newScores = state.range(1) != 0;
    SetSnoozeHook(NoPause);
    const auto land = [&] {
        SetChainLanding(view);
        if (!newScores)
            view.score = 0;
        view.DropSome();
    };
    land();
    AllocationMeter meter(state);
    for (auto _ : state)
        land();
    SetSnoozeHook(nullptr);
}
BENCHMARK(BM_LandingChain)
    ->ArgNames({"shown", "new_scores"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 1});

void BM_ShiftArray(benchmark::State& state) {
    static TumbleView& view = KeptView();
    FillWithGaps(view);
    Board start;
    std::memcpy(start, view.board, sizeof start);
    AllocationMeter meter(state);
    for (auto _ : state) {
        std::memcpy(view.board, start, sizeof start);
        view.ShiftArray();
        benchmark::DoNotOptimize(view.board);
    }
}
BENCHMARK(BM_ShiftArray);

// Whole games, headless, by a player who moves and rotates at random between pulses.
void BM_RandomGame(benchmark::State& state) {
    static TumbleView& view = KeptView();
    SetSnoozeHook(NoPause);
    std::mt19937 player(1);
    std::uniform_int_distribution<int> action(0, 4);
    constexpr char kKeys[] = {B_LEFT_ARROW, B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW};
    srand(1);
    int64_t pieces = 0;
    const auto lands = [&] {
        const int32 x2 = view.piecePos[4];
        const int32 y2 = view.piecePos[5];
        return y2 > kLastFallRow || view.board[x2][y2 + 1] != kEmpty;
    };
    const int64_t allocationsBefore = AllocationCount();
    for (auto _ : state) {
        StartQuietRound(view);
        while (view.gameState != kIdle) {
            const int a = action(player);
            const bool tick = a >= 3;
            if (tick && lands())
                ++pieces;
            if (a < 4)
                view.KeyDown(&kKeys[a], 1);
            else
                view.Pulse();
        }
    }
    const auto allocations = static_cast<double>(AllocationCount() - allocationsBefore);
    SetSnoozeHook(nullptr);
    state.counters["pieces_per_game"] =
        benchmark::Counter(static_cast<double>(pieces), benchmark::Counter::kAvgIterations);
    state.counters["pieces_per_s"] =
        benchmark::Counter(static_cast<double>(pieces), benchmark::Counter::kIsRate);
    // Mostly the score line being laid out anew whenever the score changes.
    state.counters["allocs_per_piece"] =
        benchmark::Counter(allocationsBefore < 0 ? -1.0
                           : pieces > 0          ? allocations / static_cast<double>(pieces)
                                                 : 0.0);
}
BENCHMARK(BM_RandomGame)->Unit(benchmark::kMillisecond);

} // namespace
