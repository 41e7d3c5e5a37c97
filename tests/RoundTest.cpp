// A round's life: StartGame, each spawn, the keys and pulses in each state, and EndGame with
// the best score it may save.
#include "store/ScoreFile.h"
#include "tests/GameTest.h"

#include <QApplication>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>

namespace {

using Round = GameTest;

TEST_F(Round, StartGameClearsTheWellAndSpawnsFromTheGenerator) {
    for (int x = 0; x < kBoardColumns; ++x) {
        for (int y = 0; y < kWellRows; ++y) {
            view->board[x][y] = static_cast<uint8>((x + y) % 8 + 1);
            if (x < kWellColumns)
                view->marks[x][y] = static_cast<uint8>(y % 2 == 0 ? MARKED : 0);
        }
    }
    view->score = 77;
    srand(4242);
    std::string values;
    for (int i = 0; i < kPieceGems; ++i)
        values += "01234567M"[rand() % 8 + 1];
    const int next = rand();
    srand(4242);

    view->StartGame();

    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(view->score, 0);
    EXPECT_EQ(window.PulseRate(), 400000);
    EXPECT_EQ(CountGems(*view), 0);
    // Column 7 (but its scratch cell in row 0) and the marks are not the well's.
    for (int y = 1; y < kWellRows; ++y) {
        EXPECT_EQ(view->board[7][y], (7 + y) % 8 + 1) << "row " << y;
        EXPECT_EQ(view->marks[y % kWellColumns][y], y % 2 == 0 ? MARKED : 0);
    }
    EXPECT_EQ(PieceText(*view), "3,0,3,1,3,2," + values);
    EXPECT_EQ(rand(), next) << "a spawn draws three numbers";
}

TEST_F(Round, GemInTheEntryColumnEndsTheRoundInsteadOfSpawning) {
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        SetBoard(*view, "");
        view->board[3][row] = 4;
        view->gameState = kRunning;
        PlacePiece(*view, 5, 12, "567");
        srand(99);
        const int untouched = rand();
        srand(99);
        view->NewPiece();
        EXPECT_EQ(view->gameState, kIdle);
        EXPECT_EQ(PieceText(*view), "0,0,0,0,0,0,567");
        EXPECT_EQ(rand(), untouched);
    }
    // A piece landing in rows 0 to 2 blocks the next one.
    SetBoard(*view, "");
    view->board[3][3] = 3;
    view->gameState = kRunning;
    PlacePiece(*view, 3, 2, "121");
    view->DropSome();
    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_EQ(view->busy, 0);
    EXPECT_EQ(BoardText(*view, 0).substr(0, 32), "...1...\n...2...\n...1...\n...3...\n");
}

TEST_F(Round, EndGameLeavesTheWellAndAsksForTheTitle) {
    window.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.Widget()));
    view->StartGame();
    SetBoard(*view, "1234567");
    PlacePiece(*view, 3, 10, "123");
    PaintMarker(*view);
    view->EndGame();
    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_EQ(PieceText(*view), "0,0,0,0,0,0,123");
    EXPECT_EQ(BoardText(*view, 19), "1234567\n");
    EXPECT_EQ(window.PulseRate(), 400000) << "pulses go on and are ignored";
    EXPECT_TRUE(ShowsMarker(*view, 0, 19)) << "nothing drawn at once";
    QApplication::processEvents();
    EXPECT_FALSE(ShowsMarker(*view, 0, 19)) << "the invalidated view was drawn again";
}

TEST_F(Round, EndGameSavesOnlyAStrictlyBetterScore) {
    const struct {
        const char* stored; // nullptr: no file
        int32 score;
        const char* after;
    } cases[] = {{"100", 100, nullptr}, {"100", 101, "101"}, {"-5", 0, "0"}, {nullptr, 0, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.score);
        unlink(kScoreFileName);
        struct stat before {};
        if (c.stored != nullptr) {
            scratch.Write(kScoreFileName, c.stored);
            // An old time stamp, so an untouched file is told from a rewritten one.
            const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
            utimensat(AT_FDCWD, kScoreFileName, old, 0);
            stat(kScoreFileName, &before);
        }
        view->LoadHighScore();
        view->gameState = kRunning;
        view->score = c.score;
        view->EndGame();
        struct stat now {};
        const bool exists = stat(kScoreFileName, &now) == 0;
        if (c.after == nullptr) {
            EXPECT_EQ(exists, c.stored != nullptr);
            EXPECT_EQ(now.st_ino, before.st_ino);
            EXPECT_EQ(now.st_mtim.tv_sec, before.st_mtim.tv_sec);
        } else {
            EXPECT_EQ(scratch.Read(kScoreFileName), c.after);
        }
        EXPECT_EQ(view->highScore, std::max(c.score, c.stored ? std::atoi(c.stored) : 0));
    }
}

// Each press (presses apart by '|') from a round in the given state with the piece in column 3,
// rows 8 to 10.
TEST_F(Round, KeysActOnlyInTheirStates) {
    constexpr const char* kStill = "3,8,3,9,3,10,123";
    const struct {
        int32 state;
        std::string_view presses;
        int32 after;
        const char* piece;
        bigtime_t rate;
    } cases[] = {
        {kIdle, "\n|\x1b|\x1c|\x1d|\x1e|\x1f", kIdle, kStill, 0},
        {kRunning, "\x1c", kRunning, "2,8,2,9,2,10,123", 400000},
        {kRunning, "\x1d", kRunning, "4,8,4,9,4,10,123", 400000},
        {kRunning, "\x1e", kRunning, "3,8,3,9,3,10,312", 400000},
        {kRunning, "\x1f", kRunning, "3,9,3,10,3,11,123", 400000},
        {kRunning, "\n", kPaused, kStill, 0},
        {kRunning, "\x1b", kIdle, "0,0,0,0,0,0,123", 400000},
        // Carriage return is not Enter; keys of more than one byte are not keys of the game.
        {kRunning, "\r|\n\n|\x1b\x1b|\x1c\x1c|\x1f\x1f|\xc3\xa9", kRunning, kStill, 400000},
        {kPaused, "\x1c|\x1d|\x1e|\x1f|x|\r", kPaused, kStill, 0},
        {kPaused, "\n", kRunning, kStill, 400000},
        {kPaused, "\x1b", kIdle, "0,0,0,0,0,0,123", 0},
    };
    for (const auto& c : cases) {
        for (size_t start = 0, end = 0; start < c.presses.size(); start = end + 1) {
            end = std::min(c.presses.find('|', start), c.presses.size());
            const std::string_view bytes = c.presses.substr(start, end - start);
            SCOPED_TRACE(testing::Message()
                         << "state " << c.state << ", byte " << static_cast<int>(bytes[0]) << " of "
                         << bytes.size());
            view->gameState = kIdle;
            window.SetPulseRate(0);
            SetBoard(*view, "");
            if (c.state != kIdle)
                view->StartGame();
            if (c.state == kPaused)
                Press(B_ENTER);
            PlacePiece(*view, 3, 10, "123");
            view->KeyDown(bytes.data(), static_cast<int32>(bytes.size()));
            EXPECT_EQ(view->gameState, c.after);
            EXPECT_EQ(PieceText(*view), c.piece);
            EXPECT_EQ(window.PulseRate(), c.rate);
        }
    }
    EXPECT_NE(access(kScoreFileName, F_OK), 0) << "rounds of 0 beat nothing";
    view->StartGame();
    view->score = 40;
    Press(B_ENTER);
    Press(B_ESCAPE);
    EXPECT_EQ(view->highScore, 40);
    EXPECT_EQ(scratch.Read(kScoreFileName), "40");
}

TEST_F(Round, PulseTicksUnlessIdle) {
    view->StartGame();
    PlacePiece(*view, 3, 10, "123");
    view->Pulse();
    EXPECT_EQ(view->piecePos[5], 11);
    // A pulse already on its way when the round was paused still ticks.
    Press(B_ENTER);
    view->Pulse();
    EXPECT_EQ(view->piecePos[5], 12);
    Press(B_ESCAPE);
    PlacePiece(*view, 3, 10, "123");
    view->Pulse();
    EXPECT_EQ(view->piecePos[5], 10);
}

} // namespace
