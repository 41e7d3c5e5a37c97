// The well's picture: cells, gems, the piece, the frame and the score strip.
#include "tests/Board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// Not a colour the game uses, so every pixel the game paints stands out.
constexpr rgb_color kMarker = {1, 99, 7, 255};
constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kOutline = {40, 40, 40};

constexpr BRect CellRect(int x, int y) {
    return BRect(x * 20 + 10, y * 20 - 30, x * 20 + 29, y * 20 - 11);
}
constexpr int CentreX(int x) {
    return x * 20 + 20;
}
constexpr int CentreY(int y) {
    return y * 20 - 21;
}

// The four pixels at distance d from a cell's gem centre along the axes.
struct AxisSamples {
    Rgb at[4];
};
AxisSamples Axis(const QImage& img, int x, int y, int d) {
    const int cx = CentreX(x), cy = CentreY(y);
    return {{PixelAt(img, cx + d, cy), PixelAt(img, cx - d, cy), PixelAt(img, cx, cy + d),
             PixelAt(img, cx, cy - d)}};
}
// Expects every axis pixel at distance d (0 to 10) to be expected(d).
template <typename F> void ExpectRings(const QImage& img, int x, int y, F expected) {
    for (int d = 0; d <= 10; ++d)
        for (const Rgb& p : Axis(img, x, y, d).at)
            EXPECT_EQ(p, expected(d)) << "cell " << x << ", " << y << " at distance " << d;
}
// A gem of this base colour: the dark ring, then discs brightening by 10 towards the centre.
auto GemRings(Rgb base) {
    return [base](int d) {
        if (d == 10)
            return ToRgb(kMarker);
        if (d == 9)
            return kOutline;
        const int step = 8 - std::max(d, 3);
        return Rgb{base.r + 10 * step, base.g + 10 * step, base.b + 10 * step};
    };
}
Rgb MagicRings(int d) {
    if (d == 10)
        return ToRgb(kMarker);
    return d > 7 ? Rgb{200, 0, 0} : (d > 5 ? Rgb{0, 200, 0} : Rgb{0, 0, 200});
}

constexpr Rgb kGemColours[] = {
    {200, 20, 20},   {20, 200, 20},   {20, 20, 200},   {20, 20, 20},
    {100, 100, 170}, {170, 100, 100}, {100, 140, 100},
};

class WellDrawing : public ::testing::Test {
protected:
    void SetUp() override { FillView(view, kMarker); }
    QImage Shot() const { return view.Snapshot(); }
    // Score strip ink of a Redraw with this score.
    Box ScoreInk(int32 score) {
        view.score = score;
        view.Redraw();
        return InkBox(Shot(), BRect(0, 380, 160, 400), kWhite);
    }

    TumbleView view{BRect(0, 20, 160, 420)};
};

TEST_F(WellDrawing, BlankCellIsAWhiteSquareAtItsRectangle) {
    view.DrawBlank(3, 7);
    view.DrawBlank(0, 2);
    view.DrawBlank(6, 19);
    const QImage img = Shot();
    for (const BRect r :
         {BRect(70, 110, 89, 129), BRect(10, 10, 29, 29), BRect(130, 350, 149, 369)})
        EXPECT_TRUE(FilledExactly(img, r, kWhite));
}

TEST_F(WellDrawing, GemsShadeFromTheirColourInsideADarkRing) {
    for (int value = 1; value <= 7; ++value) {
        view.SetOurColor(value);
        view.DrawGem(value - 1, 3 + 2 * value);
    }
    const QImage img = Shot();
    for (int value = 1; value <= 7; ++value) {
        SCOPED_TRACE(value);
        ExpectRings(img, value - 1, 3 + 2 * value, GemRings(kGemColours[value - 1]));
    }
    EXPECT_EQ(PixelAt(img, CentreX(0), CentreY(5)), (Rgb{250, 70, 70}));
    EXPECT_EQ(PixelAt(img, CentreX(3), CentreY(11)), (Rgb{70, 70, 70}));
}

TEST_F(WellDrawing, MagicGemShowsThreeRings) {
    view.DrawMagic(4, 12);
    ExpectRings(Shot(), 4, 12, MagicRings);
}

TEST_F(WellDrawing, GemCornersOutsideTheRingAreLeftAlone) {
    view.SetOurColor(2);
    view.DrawGem(1, 5);
    view.DrawMagic(5, 16);
    const QImage img = Shot();
    for (const auto& [x, y] : {std::pair{1, 5}, std::pair{5, 16}}) {
        const BRect r = CellRect(x, y);
        const int left = int(r.left), top = int(r.top), right = int(r.right),
                  bottom = int(r.bottom);
        // The ring of radius 9 is one pixel short of the cell's left and bottom edges.
        for (int i = top; i <= bottom; ++i)
            EXPECT_EQ(PixelAt(img, left, i), ToRgb(kMarker)) << x << ", " << y << " row " << i;
        for (int i = left; i <= right; ++i)
            EXPECT_EQ(PixelAt(img, i, bottom), ToRgb(kMarker)) << x << ", " << y << " col " << i;
        for (const auto& [cx, cy] : {std::pair{right, top}, std::pair{left + 1, top}})
            EXPECT_EQ(PixelAt(img, cx, cy), ToRgb(kMarker)) << x << ", " << y;
    }
}

TEST_F(WellDrawing, HiddenRowsAreNeverDrawn) {
    const QImage before = Shot();
    for (int y = 0; y <= 1; ++y) {
        for (int x = 0; x < kWellColumns; ++x) {
            view.DrawBlank(x, y);
            view.DrawMagic(x, y);
            view.SetOurColor(4);
            view.DrawGem(x, y);
        }
    }
    // Between a landing and the next piece all gems lie at (0, 0).
    SetPiece(view, 0, 0, 1, MAGIC, 3);
    std::fill(std::begin(view.piecePos), std::end(view.piecePos), 0);
    view.drawOn = 1;
    view.DrawPiece();
    view.drawOn = 0;
    view.DrawPiece();
    EXPECT_TRUE(Shot() == before);
}

TEST_F(WellDrawing, PieceIsDrawnAndErasedAtItsCells) {
    SetPiece(view, 2, 5, 1, MAGIC, 7);
    view.drawOn = 1;
    view.DrawPiece();
    QImage img = Shot();
    ExpectRings(img, 2, 5, GemRings(kGemColours[0]));
    ExpectRings(img, 2, 6, MagicRings);
    ExpectRings(img, 2, 7, GemRings(kGemColours[6]));

    view.drawOn = 0;
    view.DrawPiece();
    EXPECT_TRUE(FilledExactly(Shot(), BRect(50, 70, 69, 129), kWhite));
}

TEST_F(WellDrawing, FreshPieceShowsOnlyItsBottomGem) {
    SetPiece(view, 3, 0, 1, 2, 3);
    view.drawOn = 1;
    view.DrawPiece();
    QImage img = Shot();
    ExpectRings(img, 3, 2, GemRings(kGemColours[2]));
    const Box ink = InkBox(img, BRect(0, 0, 160, 400), ToRgb(kMarker));
    EXPECT_EQ(ink.top, CentreY(2) - 9);
    EXPECT_EQ(ink.bottom, CentreY(2) + 9);
    view.drawOn = 0;
    view.DrawPiece();
    EXPECT_TRUE(FilledExactly(Shot(), CellRect(3, 2), kWhite));
}

TEST_F(WellDrawing, FrameOutlinesShadeInwards) {
    view.DrawMisc();
    const QImage img = Shot();
    for (int i = 0; i < 10; ++i) {
        const Rgb colour = {30 + 10 * i, 20 + 10 * i, 200 - 15 * i};
        for (int x = i; x <= 160 - i; ++x) {
            EXPECT_EQ(PixelAt(img, x, i), colour) << "outline " << i << " top at " << x;
            EXPECT_EQ(PixelAt(img, x, 380 - i), colour) << "outline " << i << " bottom at " << x;
        }
        for (int y = i; y <= 380 - i; ++y) {
            EXPECT_EQ(PixelAt(img, i, y), colour) << "outline " << i << " left at " << y;
            EXPECT_EQ(PixelAt(img, 160 - i, y), colour) << "outline " << i << " right at " << y;
        }
    }
    EXPECT_EQ(InkBox(img, BRect(10, 10, 150, 370), ToRgb(kMarker)).right, -1);
}

TEST_F(WellDrawing, RedrawPaintsEveryCellButNotTheGapsBesideTheFrame) {
    SetBoard(view, {
                       "1234567",
                       "M2.4..4",
                       "7654321",
                   });
    for (int x = 0; x < kWellColumns; ++x)
        for (int y = 2; y < 17; ++y)
            view.board[x][y] = static_cast<uint8>(1 + (x + y) % 8);
    view.DrawMisc();
    view.Redraw();
    const QImage img = Shot();
    EXPECT_TRUE(FilledExactly(img, CellRect(2, 18), kWhite));
    ExpectRings(img, 0, 18, MagicRings);
    ExpectRings(img, 6, 18, GemRings(kGemColours[3]));
    ExpectRings(img, 1, 17, GemRings(kGemColours[1]));
    ExpectRings(img, 6, 19, GemRings(kGemColours[0]));
    // The column x 150 and the row y 370 belong to neither the well nor the frame.
    for (int y = 10; y <= 370; ++y)
        EXPECT_EQ(PixelAt(img, 150, y), ToRgb(kMarker)) << "x 150, y " << y;
    for (int x = 10; x <= 150; ++x)
        EXPECT_EQ(PixelAt(img, x, 370), ToRgb(kMarker)) << "x " << x << ", y 370";
    // The strip covers the frame's bottom edge.
    EXPECT_EQ(PixelAt(img, 0, 380), kWhite);
    EXPECT_EQ(PixelAt(img, 160, 380), kWhite);
}

TEST_F(WellDrawing, ScoreIsCentredOnTheBaseline) {
    const Box narrow = ScoreInk(7);
    const Box wide = ScoreInk(77777);
    EXPECT_LT(wide.left, narrow.left - 20);
    for (const Box& ink : {narrow, wide}) {
        EXPECT_EQ(ink.bottom, 398);
        EXPECT_NEAR((ink.left + ink.right) / 2.0, 80, 3);
    }
    // The strokes' cores have the text colour.
    const QImage img = Shot();
    int core = 0;
    for (int y = wide.top; y <= wide.bottom; ++y)
        for (int x = wide.left; x <= wide.right; ++x)
            core += PixelAt(img, x, y) == Rgb{20, 20, 20};
    EXPECT_GT(core, 20);
}

} // namespace
