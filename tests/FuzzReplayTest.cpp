// Every committed fuzz input, and every crash the fuzzer ever found, replays clean; and the
// checks the fuzzer relies on do catch a broken game.
#include "fuzz/Actions.h"
#include "tests/GameTest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> InputsIn(const fs::path& dir) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name[0] != '.' && name != "README")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8> Bytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(FuzzReplay, CorpusAndRegressionsKeepEveryInvariant) {
    const fs::path root = TUMBLEGEM_FUZZ_DIR;
    std::vector<fs::path> files = InputsIn(root / "corpus");
    ASSERT_GE(files.size(), 10u) << "the seed corpus is missing";
    const std::vector<fs::path> regressions = InputsIn(root / "regressions");
    files.insert(files.end(), regressions.begin(), regressions.end());
    ScratchDir dir;
    GameSession session(0, &PumpEvents);
    for (const fs::path& file : files) {
        const std::vector<uint8> input = Bytes(file);
        EXPECT_EQ(RunActions(session, input.data(), input.size()), "")
            << fs::relative(file, root).string();
    }
}

std::string Outcome(const TumbleView& v) {
    return BoardText(v) + " score " + std::to_string(v.score) + " best " +
           std::to_string(v.highScore);
}

// A crash must reproduce from its input alone, whatever the session played before it.
TEST(FuzzReplay, SameInputSameGame) {
    const uint8 input[] = {7,  3,        kOpNewGame, kOpTicks,    31, kOpTableKey,
                           2,  kOpTicks, 31,         kOpTableKey, 3,  kOpTicks,
                           31, kOpTicks, 31,         kOpTicks,    31};
    const uint8 other[] = {9, 6, kOpNewGame, kOpFillColumn, 1, 0, 19, 5, 1, kOpTicks, 31};
    ScratchDir dir;
    GameSession fresh(0);
    ASSERT_EQ(RunActions(fresh, input, sizeof input), "");
    GameSession used(0);
    ASSERT_EQ(RunActions(used, other, sizeof other), "");
    ASSERT_EQ(RunActions(used, input, sizeof input), "");
    EXPECT_EQ(Outcome(fresh.View()), Outcome(used.View()));
    EXPECT_GT(fresh.View().score, 0) << "the input should reach a clearing";
}

// A breach planted into a running round must be reported; otherwise a fuzz run proves nothing.
TEST(FuzzReplay, ChecksCatchPlantedBreaches) {
    const std::vector<std::pair<const char*, std::function<void(TumbleView&)>>> plants = {
        {"overlaps", [](TumbleView& v) { v.board[3][2] = 4; }},
        {"board cell holds 9", [](TumbleView& v) { v.board[0][19] = 9; }},
        {"marks holds 1", [](TumbleView& v) { v.marks[6][0] = 1; }},
        {"gameState is 3", [](TumbleView& v) { v.gameState = 3; }},
        {"busy", [](TumbleView& v) { v.busy = 1; }},
        {"one column", [](TumbleView& v) { v.piecePos[2] = 4; }},
        {"left the well",
         [](TumbleView& v) {
             for (int gem = 0; gem < kPieceGems; ++gem)
                 v.piecePos[2 * gem + 1] = static_cast<int8>(18 + gem);
         }},
        {"score went down", [](TumbleView& v) { v.score = -1; }},
        {"best score went down", [](TumbleView& v) { v.highScore = -1; }},
        {"no color", [](TumbleView& v) { v.pieceColor[1] = 0; }},
    };
    for (const auto& [expected, plant] : plants) {
        ScratchDir dir;
        GameSession s(1);
        ASSERT_TRUE(s.NewGame());
        plant(s.View());
        EXPECT_FALSE(s.CheckRest()) << expected;
        EXPECT_NE(s.Breach().find(expected), std::string::npos) << s.Breach();
    }
}

TEST(FuzzReplay, EditsSparePieceCellsAndTheMoveRuleHolds) {
    ScratchDir dir;
    GameSession s(1);
    ASSERT_TRUE(s.NewGame());
    EXPECT_TRUE(s.EditCell(3, 1, 5));
    EXPECT_EQ(s.View().board[3][1], kEmpty);
    // A gem beside the middle gem only: the move is refused, and the check agrees.
    ASSERT_TRUE(s.EditCell(2, 1, 5));
    const char left = B_LEFT_ARROW;
    EXPECT_TRUE(s.Key(&left, 1)) << s.Breach();
    EXPECT_EQ(s.View().piecePos[0], kEntryColumn);
}

TEST(FuzzReplay, ABrokenSaveIsCaught) {
    ScratchDir dir;
    GameSession s(1);
    ASSERT_TRUE(s.NewGame());
    s.View().score = 50;
    ASSERT_TRUE(s.EndRound()) << s.Breach();
    EXPECT_EQ(dir.Read("Scores.data"), "50");
    dir.Write("Scores.data", "49");
    ASSERT_TRUE(s.NewGame());
    EXPECT_FALSE(s.EndRound());
    EXPECT_NE(s.Breach().find("on disk went down"), std::string::npos) << s.Breach();
}
