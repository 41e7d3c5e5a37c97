// The pulse and the keys: what each byte does in each state of the round.
#include "tests/Board.h"

#include <QWidget>

#include <string>
#include <sys/stat.h>

namespace {

using Keys = GameTest;

std::string PieceText(const TumbleView& view) {
    std::string s;
    for (int i = 0; i < 6; ++i)
        s += std::to_string(view.piecePos[i]) + ",";
    for (int i = 0; i < 3; ++i)
        s += std::to_string(view.pieceColor[i]);
    return s;
}

constexpr char kKeys[] = {B_ENTER, B_ESCAPE, B_LEFT_ARROW, B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW};

TEST_F(Keys, ViewTakesTheFocusWhenAdded) {
    EXPECT_EQ(window.Widget()->focusWidget(), view->Widget());
}

TEST_F(Keys, NothingActsWhileIdle) {
    SetBoard(*view, {});
    PlacePiece(*view, 2, 10, "123");
    view->score = 50; // Escape would save it
    for (char key : kKeys) {
        SCOPED_TRACE(static_cast<int>(key));
        Press(key);
        EXPECT_EQ(view->gameState, kIdle);
        EXPECT_EQ(PieceText(*view), "2,8,2,9,2,10,123");
        EXPECT_EQ(window.PulseRate(), 0);
    }
    view->Pulse();
    EXPECT_EQ(PieceText(*view), "2,8,2,9,2,10,123");
    struct stat st {};
    EXPECT_NE(stat(kScoresData, &st), 0);
    EXPECT_EQ(view->highScore, 0);
}

TEST_F(Keys, ArrowsSteerWhileRunning) {
    view->StartGame();
    PlacePiece(*view, 3, 10, "123");
    Press(B_LEFT_ARROW);
    EXPECT_EQ(PieceText(*view), "2,8,2,9,2,10,123");
    Press(B_RIGHT_ARROW);
    Press(B_RIGHT_ARROW);
    EXPECT_EQ(PieceText(*view), "4,8,4,9,4,10,123");
    Press(B_UP_ARROW);
    EXPECT_EQ(PieceText(*view), "4,8,4,9,4,10,312");
    // Each repeat of a held down arrow is one more tick; the pulse rate stays.
    Press(B_DOWN_ARROW);
    Press(B_DOWN_ARROW);
    EXPECT_EQ(PieceText(*view), "4,10,4,11,4,12,312");
    EXPECT_EQ(window.PulseRate(), 400000);
}

TEST_F(Keys, ArrowsRefuseAGemBesideAnyGemOfThePiece) {
    // Column 1 holds a gem raised over a hole, beside the piece's middle gem: sliding over it
    // would let the landing destroy it.
    SetBoard(*view, {
                        ".5.....",
                        ".......",
                        ".1.....",
                        ".2.....",
                    });
    view->gameState = kRunning;
    PlacePiece(*view, 2, 17, "347");
    Press(B_LEFT_ARROW);
    EXPECT_EQ(PieceText(*view), "2,15,2,16,2,17,347");
    EXPECT_EQ(view->board[1][16], 5);
    // A gem beside the bottom gem blocks as well.
    PlacePiece(*view, 2, 18, "347");
    Press(B_LEFT_ARROW);
    EXPECT_EQ(PieceText(*view), "2,16,2,17,2,18,347");
}

TEST_F(Keys, EnterPausesAndResumesThePulse) {
    view->StartGame();
    Press(B_ENTER);
    EXPECT_EQ(view->gameState, kPaused);
    EXPECT_EQ(window.PulseRate(), 0);
    Press(B_ENTER);
    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(window.PulseRate(), 400000);
}

TEST_F(Keys, CarriageReturnDoesNotPause) {
    view->StartGame();
    Press(13);
    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(window.PulseRate(), 400000);
}

TEST_F(Keys, WhilePausedOnlyEnterAndEscapeAct) {
    view->StartGame();
    PlacePiece(*view, 3, 10, "123");
    Press(B_ENTER);
    for (char key : {B_LEFT_ARROW, B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW, 'x', '\r'}) {
        SCOPED_TRACE(static_cast<int>(key));
        Press(key);
        EXPECT_EQ(view->gameState, kPaused);
        EXPECT_EQ(PieceText(*view), "3,8,3,9,3,10,123");
    }
    view->score = 40;
    Press(B_ESCAPE);
    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_EQ(view->highScore, 40);
    EXPECT_EQ(ReadFile(kScoresData), "40");
}

TEST_F(Keys, EscapeEndsARunningRoundAndTheNextRoundPulsesAgain) {
    view->StartGame();
    Press(B_ENTER);
    Press(B_ESCAPE);
    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_EQ(window.PulseRate(), 0) << "ending leaves the rate as it was";
    view->StartGame();
    Press(B_ESCAPE);
    EXPECT_EQ(view->gameState, kIdle);
    EXPECT_EQ(view->piecePos[5], 0);
    view->StartGame();
    EXPECT_EQ(window.PulseRate(), 400000);
}

TEST_F(Keys, KeysOfMoreThanOneByteAreIgnored) {
    view->StartGame();
    PlacePiece(*view, 3, 10, "123");
    const char* multi[] = {"\n\n", "\x1b\x1b", "\x1c\x1c", "\x1f\x1f", "\xc3\xa9"};
    for (const char* bytes : multi) {
        view->KeyDown(bytes, 2);
        EXPECT_EQ(view->gameState, kRunning);
        EXPECT_EQ(PieceText(*view), "3,8,3,9,3,10,123");
    }
}

TEST_F(Keys, PulseTicksUnlessIdle) {
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
