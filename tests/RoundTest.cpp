// A round's life: StartGame, each spawn, and EndGame with the best score it may save.
#include "tests/Board.h"

#include <QApplication>
#include <QtTest/QTest>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using Round = GameTest;

constexpr int8 kNoPiece[6] = {0, 0, 0, 0, 0, 0};
constexpr int8 kSpawned[6] = {3, 0, 3, 1, 3, 2};

bool PieceAt(const TumbleView& view, const int8 (&where)[6]) {
    return std::equal(view.piecePos, view.piecePos + 6, where);
}

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
    const int first = rand() % 8 + 1;
    const int second = rand() % 8 + 1;
    const int third = rand() % 8 + 1;
    const int next = rand();
    srand(4242);

    view->StartGame();

    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(view->score, 0);
    EXPECT_EQ(window.PulseRate(), 400000);
    EXPECT_EQ(CountGems(*view), 0);
    // Column 7 (but its scratch cell in row 0) and the marks are not the well's.
    for (int y = 1; y < kWellRows; ++y)
        EXPECT_EQ(view->board[7][y], (7 + y) % 8 + 1) << "row " << y;
    for (int x = 0; x < kWellColumns; ++x)
        for (int y = 0; y < kWellRows; ++y)
            EXPECT_EQ(view->marks[x][y], y % 2 == 0 ? MARKED : 0);
    EXPECT_TRUE(PieceAt(*view, kSpawned));
    EXPECT_EQ(view->pieceColor[0], first);
    EXPECT_EQ(view->pieceColor[1], second);
    EXPECT_EQ(view->pieceColor[2], third);
    EXPECT_EQ(rand(), next) << "a spawn draws three numbers";
}

TEST_F(Round, GemInTheEntryColumnEndsTheRoundInsteadOfSpawning) {
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        SetBoard(*view, {});
        view->board[3][row] = 4;
        view->gameState = kRunning;
        PlacePiece(*view, 5, 12, "567");
        srand(99);
        const int untouched = rand();
        srand(99);

        view->NewPiece();

        EXPECT_EQ(view->gameState, kIdle);
        EXPECT_TRUE(PieceAt(*view, kNoPiece));
        EXPECT_EQ(view->pieceColor[0], 5);
        EXPECT_EQ(view->pieceColor[1], 6);
        EXPECT_EQ(view->pieceColor[2], 7);
        EXPECT_EQ(rand(), untouched);
        EXPECT_EQ(CountGems(*view), 1);
    }
}

TEST_F(Round, PieceLandingAtTheEntryEndsTheRound) {
    // A gem under the entry: the new piece lands in rows 0 to 2 and blocks the next one.
    SetBoard(*view, {});
    view->board[3][3] = 3;
    view->gameState = kRunning;
    PlacePiece(*view, 3, 2, "121");
    view->DropSome();
    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_EQ(view->busy, 0);
    EXPECT_TRUE(pauses.empty());
    EXPECT_EQ(BoardText(*view, 0).substr(0, 32), "...1...\n"
                                                 "...2...\n"
                                                 "...1...\n"
                                                 "...3...\n");
}

TEST_F(Round, EndGameLeavesTheWellAndAsksForTheTitle) {
    window.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.Widget()));
    view->StartGame();
    SetBoard(*view, {"1234567"});
    const std::string well = BoardText(*view);
    view->pieceColor[0] = 2;
    PaintMarker(*view);

    view->EndGame();

    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_TRUE(PieceAt(*view, kNoPiece));
    EXPECT_EQ(view->pieceColor[0], 2);
    EXPECT_EQ(BoardText(*view), well);
    EXPECT_EQ(window.PulseRate(), 400000) << "pulses go on and are ignored";
    EXPECT_TRUE(ShowsMarker(*view, 0, 19)) << "nothing drawn at once";
    QApplication::processEvents();
    EXPECT_FALSE(ShowsMarker(*view, 0, 19)) << "the invalidated view was drawn again";
}

// Scores.data in the scratch folder, as the view loaded it.
class RoundEnd : public GameTest {
protected:
    void Stored(const char* text) {
        WriteFile(kScoresData, text);
        // An old time stamp, so an untouched file is told from a rewritten one.
        const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
        utimensat(AT_FDCWD, kScoresData, old, 0);
        stat(kScoresData, &before);
        view->LoadHighScore();
    }
    bool Untouched() {
        struct stat now {};
        return stat(kScoresData, &now) == 0 && now.st_ino == before.st_ino &&
               now.st_mtim.tv_sec == before.st_mtim.tv_sec && now.st_size == before.st_size;
    }
    struct stat before {};
};

TEST_F(RoundEnd, EqualScoreLeavesTheFileUntouched) {
    Stored("100");
    ASSERT_EQ(view->highScore, 100);
    view->gameState = kRunning;
    view->score = 100;
    view->EndGame();
    EXPECT_TRUE(Untouched());
    EXPECT_EQ(ReadFile(kScoresData), "100");
    EXPECT_EQ(view->highScore, 100);
}

TEST_F(RoundEnd, OnePointMoreReplacesIt) {
    Stored("100");
    view->gameState = kRunning;
    view->score = 101;
    view->EndGame();
    EXPECT_EQ(ReadFile(kScoresData), "101");
    EXPECT_EQ(view->highScore, 101);
}

TEST_F(RoundEnd, ZeroBeatsANegativeBest) {
    Stored("-5");
    ASSERT_EQ(view->highScore, -5);
    view->gameState = kRunning;
    view->score = 0;
    view->EndGame();
    EXPECT_EQ(ReadFile(kScoresData), "0");
    EXPECT_EQ(view->highScore, 0);
}

TEST_F(RoundEnd, ZeroOverNoFileWritesNothing) {
    view->gameState = kRunning;
    view->score = 0;
    view->EndGame();
    struct stat st {};
    EXPECT_NE(stat(kScoresData, &st), 0);
}

} // namespace
