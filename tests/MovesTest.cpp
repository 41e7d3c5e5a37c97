// Steering the falling piece: the walls, the gems beside it, rotation, and what is drawn.
#include "tests/Board.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

constexpr rgb_color kMarker = {1, 99, 7, 255};
constexpr Rgb kWhite = {255, 255, 255};

Rgb GemCentre(const QImage& img, int x, int y) {
    return PixelAt(img, x * 20 + 20, y * 20 - 21);
}

class Moves : public ::testing::Test {
protected:
    void SetUp() override { view.gameState = kRunning; }
    int Column() const { return view.piecePos[0]; }
    std::array<int8, 6> Pos() const {
        std::array<int8, 6> p{};
        std::copy(std::begin(view.piecePos), std::end(view.piecePos), p.begin());
        return p;
    }
    std::array<uint8, 3> Colours() const {
        return {view.pieceColor[0], view.pieceColor[1], view.pieceColor[2]};
    }

    TumbleView view{BRect(0, 20, 160, 420)};
};

TEST_F(Moves, WallsStopThePiece) {
    SetPiece(view, 0, 10, 1, 2, 3);
    view.MoveLeft();
    EXPECT_EQ(Column(), 0);
    view.MoveRight();
    EXPECT_EQ(Column(), 1);

    SetPiece(view, 6, 10, 1, 2, 3);
    view.MoveRight();
    EXPECT_EQ(Column(), 6);
    view.MoveLeft();
    EXPECT_EQ(Column(), 5);
}

TEST_F(Moves, GemBesideTheBottomGemBlocks) {
    SetBoard(view, {
                       ".......", // the piece: rows 16 to 18 in column 3
                       ".......",
                       "..1.2..",
                       "..3.4..",
                   });
    SetPiece(view, 3, 16, 5, 6, 7);
    view.MoveLeft();
    view.MoveRight();
    EXPECT_EQ(Column(), 3);
}

TEST_F(Moves, FreeWayBesideTheWholePieceLetsItMove) {
    SetBoard(view, {
                       ".......", // the piece: rows 16 to 18 in column 3
                       ".......",
                       ".......",
                       "..1.2..",
                   });
    SetPiece(view, 3, 16, 5, 6, 7);
    view.MoveLeft();
    EXPECT_EQ(Column(), 2);
    view.MoveRight();
    view.MoveRight();
    EXPECT_EQ(Column(), 4);
    EXPECT_EQ(Pos(), (std::array<int8, 6>{4, 16, 4, 17, 4, 18}));
}

TEST_F(Moves, GemBesideAnUpperGemOverAHoleBlocks) {
    const auto expectRefused = [this](std::initializer_list<const char*> rows) {
        SetBoard(view, rows);
        SetPiece(view, 3, 16, 5, 6, 7);
        view.drawOn = 1;
        view.DrawPiece();
        const std::string board = BoardText(view);
        const QImage picture = view.Snapshot();
        view.MoveLeft();
        view.MoveRight();
        EXPECT_EQ(BoardText(view), board);
        EXPECT_EQ(Pos(), (std::array<int8, 6>{3, 16, 3, 17, 3, 18}));
        EXPECT_EQ(Colours(), (std::array<uint8, 3>{5, 6, 7}));
        EXPECT_TRUE(view.Snapshot() == picture);
    };
    expectRefused({
        "..1.2..", // beside gem 0
        ".......",
        ".......",
        "..3.4..",
    });
    expectRefused({
        ".......",
        "..1.2..", // beside gem 1
        ".......",
        "..3.4..",
    });
}

TEST_F(Moves, RotationCyclesTheValuesDownwards) {
    SetPiece(view, 3, 10, 1, 2, 3);
    view.Rotate();
    EXPECT_EQ(Colours(), (std::array<uint8, 3>{3, 1, 2}));
    const QImage img = view.Snapshot();
    EXPECT_EQ(GemCentre(img, 3, 10), (Rgb{70, 70, 250}));
    EXPECT_EQ(GemCentre(img, 3, 11), (Rgb{250, 70, 70}));
    EXPECT_EQ(GemCentre(img, 3, 12), (Rgb{70, 250, 70}));
    view.Rotate();
    view.Rotate();
    EXPECT_EQ(Colours(), (std::array<uint8, 3>{1, 2, 3}));
}

TEST_F(Moves, MovedPieceIsDrawnAtItsNewCellsAndErasedFromItsOld) {
    FillView(view, kMarker);
    SetPiece(view, 3, 10, 1, MAGIC, 4);
    view.drawOn = 1;
    view.DrawPiece();
    view.MoveRight();
    const QImage img = view.Snapshot();
    EXPECT_TRUE(FilledExactly(img, BRect(70, 170, 89, 229), kWhite));
    EXPECT_EQ(GemCentre(img, 4, 10), (Rgb{250, 70, 70}));
    EXPECT_EQ(GemCentre(img, 4, 11), (Rgb{0, 0, 200}));
    EXPECT_EQ(GemCentre(img, 4, 12), (Rgb{70, 70, 70}));
    EXPECT_EQ(view.drawOn, 1);
}

TEST_F(Moves, FreshPieceMovesAndRotatesAtOnce) {
    FillView(view, kMarker);
    SetPiece(view, 3, 0, 1, 2, 3);
    view.MoveLeft();
    EXPECT_EQ(Pos(), (std::array<int8, 6>{2, 0, 2, 1, 2, 2}));
    QImage img = view.Snapshot();
    EXPECT_EQ(GemCentre(img, 2, 2), (Rgb{70, 70, 250}));
    // Only the bottom gem's cell is visible, so only it is erased.
    EXPECT_TRUE(FilledExactly(img, BRect(70, 10, 89, 29), kWhite));
    view.Rotate();
    EXPECT_EQ(GemCentre(view.Snapshot(), 2, 2), (Rgb{70, 250, 70}));
}

} // namespace
