// A round's life: StartGame, each spawn, the keys and pulses in each state, and EndGame with
// the best score it may save.
#include "store/ScoreFile.h"
#include "tests/GameTest.h"

#include <QApplication>
#include <QtTest/QTest>

#include <unistd.h>

#include <set>
#include <vector>

using Round = GameTest;

// Over many spawns every gem and the magic one enter, nothing else.
TEST_F(Round, StartGameEmptiesTheWellAndSpawnsUnlessAnEntryCellIsTaken) {
    SetBoard(*view, "12345671\nM234567M");
    view->score = 77;
    view->StartGame();
    EXPECT_EQ(view->score, 0);
    EXPECT_EQ(window.PulseRate(), 400000);
    EXPECT_EQ(LowRows(*view, "\n\n"), ".......\n.......\n");
    ExpectLine(view->Snapshot(), 380, 400, "Score: 0", 22, 398, kWhite);
    EXPECT_EQ(view->board[kWellColumns][kLastRow], MAGIC) << "the scratch column is not the well's";
    std::set<int> values;
    for (int spawn = 0; spawn < 200; ++spawn, view->NewPiece()) {
        EXPECT_EQ(PieceText(*view).substr(0, 12), "3,0,3,1,3,2,");
        values.insert(view->pieceColor, view->pieceColor + kPieceGems);
    }
    EXPECT_EQ(values, (std::set<int>{1, 2, 3, 4, 5, 6, 7, MAGIC}));
    for (int row = 0; row <= kPieceGems; ++row) { // the row under the entry cells too
        SetBoard(*view, "");
        view->board[kEntryColumn][row] = 4;
        view->gameState = kRunning;
        view->NewPiece();
        EXPECT_EQ(view->gameState, row < kPieceGems ? kIdle : kRunning) << "a gem in row " << row;
    }
}

// EndGame keeps the well, asks for the title and saves only a strictly better best score.
TEST_F(Round, EndGameKeepsTheWellAsksForTheTitleAndSavesABetterBest) {
    const struct {
        const char *stored, *after; // nullptr: no file
        int32 score;
    } cases[] = {{nullptr, nullptr, 0}, {"100", "101", 101}, {"-5", "0", 0}};
    window.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.Widget()));
    for (const auto& c : cases) {
        unlink(kScoreFileName);
        if (c.stored != nullptr)
            scratch.Write(kScoreFileName, c.stored);
        view->LoadHighScore();
        view->score = c.score;
        SetBoard(*view, "1234567");
        PaintMarker(*view);
        view->EndGame();
        EXPECT_EQ(BoardText(*view, kLastRow), "1234567\n");
        EXPECT_EQ(scratch.Read(kScoreFileName), c.after != nullptr ? c.after : "");
        EXPECT_EQ(view->highScore, c.score);
        EXPECT_TRUE(ShowsMarker(*view, 0, kLastRow)) << "nothing drawn at once";
        QApplication::processEvents();
        EXPECT_FALSE(ShowsMarker(*view, 0, kLastRow)) << "the invalidated view was drawn again";
    }
}

// Each key or pulse ("P") from a round in the given state with the piece in column 3, rows 8
// to 10. The moves themselves are RulesTest's.
TEST_F(Round, KeysAndPulsesActOnlyInTheirStates) {
    constexpr const char *kStill = "3,8,3,9,3,10,123", *kGone = "0,0,0,0,0,0,123";
    const struct {
        int32 state;
        std::vector<std::string_view> presses;
        int32 after;
        const char* piece;
        bigtime_t rate;
    } cases[] = {
        {kIdle, {"\n", "\x1b", "\x1c", "\x1d", "\x1e", "\x1f", "P"}, kIdle, kStill, 0},
        {kRunning, {"\x1d"}, kRunning, "4,8,4,9,4,10,123", 400000},
        {kRunning, {"\x1f", "P"}, kRunning, "3,9,3,10,3,11,123", 400000},
        {kRunning, {"\n"}, kPaused, kStill, 0},
        {kRunning, {"\x1b"}, kIdle, kGone, 400000},
        // Carriage return is not Enter; keys of more than one byte are not keys of the game.
        {kRunning, {"\r", "\n\n", "\x1b\x1b", "\x1c\x1c", "\xc3\xa9"}, kRunning, kStill, 400000},
        {kPaused, {"\x1c", "\x1d", "\x1e", "\x1f", "x", "\r"}, kPaused, kStill, 0},
        {kPaused, {"P"}, kPaused, "3,9,3,10,3,11,123", 0}, // a pulse already on its way
        {kPaused, {"\n"}, kRunning, kStill, 400000},
        {kPaused, {"\x1b"}, kIdle, kGone, 0},
    };
    for (const auto& c : cases) {
        for (std::string_view bytes : c.presses) {
            SCOPED_TRACE(testing::Message() << "state " << c.state << ", " << int{bytes[0]});
            view->gameState = kIdle;
            window.SetPulseRate(0);
            if (c.state != kIdle)
                view->StartGame();
            if (c.state == kPaused)
                Press(B_ENTER);
            PlacePiece(*view, 3, 10, "123");
            bytes == "P" ? view->Pulse() : view->KeyDown(bytes.data(), int32(bytes.size()));
            EXPECT_EQ(view->gameState, c.after);
            EXPECT_EQ(PieceText(*view), c.piece);
            EXPECT_EQ(window.PulseRate(), c.rate);
        }
    }
}
