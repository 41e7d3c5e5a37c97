// Drawing: where the kit's fills, outlines, circles and text land in the back buffer, and the
// well's picture built from them: cells, gems, the piece, the frame and the score strip.
#include "tests/GameTest.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Not a color the game uses, so every pixel the game paints stands out.
constexpr rgb_color kMarker = {1, 99, 7, 255};
constexpr rgb_color kInk = {200, 30, 60, 255};

// Expects the axis pixels at distance d (0 to 10) from the cell's center to be ring(d), and
// the marker at 10.
template <typename F> void ExpectRings(const QImage& img, int x, int y, F ring) {
    const int cx = static_cast<int>(GemCenter(x, y).x), cy = static_cast<int>(GemCenter(x, y).y);
    for (int d = 0; d <= 10; ++d) {
        const Rgb expected = d == 10 ? ToRgb(kMarker) : ring(d);
        for (const Rgb p : {PixelAt(img, cx + d, cy), PixelAt(img, cx - d, cy),
                            PixelAt(img, cx, cy + d), PixelAt(img, cx, cy - d)})
            EXPECT_EQ(p, expected) << "cell " << x << ", " << y << " at distance " << d;
    }
}
auto Gem(int value) {
    constexpr Rgb kBases[] = {
        {200, 20, 20},   {20, 200, 20},   {20, 20, 200},   {20, 20, 20},
        {100, 100, 170}, {170, 100, 100}, {100, 140, 100},
    };
    return [value, kBases](int d) { return GemRing(kBases[value - 1], d); };
}

class Drawing : public ::testing::Test {
protected:
    void SetUp() override { FillView(view, kMarker); }
    QImage Shot() const { return view.Snapshot(); }

    TumbleView view{kViewFrame};
};

TEST_F(Drawing, FillRectIncludesBothEdgesAndStrokeRectOnlyTheEdges) {
    view.SetHighColor(kInk);
    view.FillRect(BRect(10, 5, 29, 7));
    EXPECT_TRUE(FilledExactly(Shot(), BRect(10, 5, 29, 7), ToRgb(kInk)));
    view.StrokeRect(BRect(10, 20, 29, 34));
    const QImage img = Shot();
    for (int y = 19; y <= 35; ++y) {
        for (int x = 9; x <= 30; ++x) {
            const bool inside = x >= 10 && x <= 29 && y >= 20 && y <= 34;
            const bool edge = inside && (x == 10 || x == 29 || y == 20 || y == 34);
            EXPECT_EQ(PixelAt(img, x, y), ToRgb(edge ? kInk : kMarker)) << x << ", " << y;
        }
    }
}

TEST_F(Drawing, CirclesAreSymmetricAboutTheirCenterPixel) {
    constexpr int cx = 20, cy = 19;
    // Whole radii take the stamped path, unequal radii the painter's.
    const struct { float rx, ry; } shapes[] = {{3, 3}, {9, 9}, {12, 12}, {9, 5}};
    for (const auto& s : shapes) {
        FillView(view, kMarker);
        view.SetHighColor(kInk);
        view.FillEllipse(BPoint(cx, cy), s.rx, s.ry);
        const QImage img = Shot();
        const int reach = static_cast<int>(std::max(s.rx, s.ry)) + 2;
        // The painter's anti-aliasing may round mirrored pixels one step apart.
        const int slack = s.rx == s.ry ? 0 : 1;
        for (int dy = 0; dy <= reach; ++dy) {
            for (int dx = 0; dx <= reach; ++dx) {
                const Rgb p = PixelAt(img, cx + dx, cy + dy);
                for (const Rgb q : {PixelAt(img, cx - dx, cy + dy), PixelAt(img, cx + dx, cy - dy),
                                    PixelAt(img, cx - dx, cy - dy)})
                    EXPECT_LE(
                        std::max({std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)}),
                        slack)
                        << s.rx << "x" << s.ry << " at " << dx << ", " << dy;
            }
        }
        if (s.rx == s.ry) { // on the axes a disc reaches exactly its radius
            EXPECT_EQ(PixelAt(img, cx + static_cast<int>(s.rx), cy), ToRgb(kInk)) << s.rx;
            EXPECT_EQ(PixelAt(img, cx + static_cast<int>(s.rx) + 1, cy), ToRgb(kMarker)) << s.rx;
        }
    }
}

TEST_F(Drawing, TextSitsOnTheBaselineAtItsPixelSize) {
    for (const int size : {20, 40}) {
        FillView(view, kMarker);
        view.SetHighColor(kInk);
        view.SetFontSize(static_cast<float>(size));
        view.MovePenTo(20, 100);
        view.DrawString("H");
        const Box ink = InkBox(Shot(), BRect(0, 0, 160, 200), ToRgb(kMarker));
        EXPECT_EQ(ink.bottom, 100) << size;
        // DejaVu Sans: a capital is 0.729 of the font size high.
        EXPECT_NEAR(ink.bottom - ink.top + 1, 0.729 * size, 2.0) << size;
        EXPECT_GE(ink.left, 20) << size;
        EXPECT_LE(ink.left, 20 + size / 4) << size;
        EXPECT_FLOAT_EQ(view.PenLocation().x, 20 + view.StringWidth("H")) << size;
    }
}

TEST_F(Drawing, CellsShowBlankGemsAndMagic) {
    view.DrawBlank(3, 7);
    view.DrawBlank(6, 19);
    for (int value = 1; value <= 7; ++value) {
        view.SetOurColor(value);
        view.DrawGem(value - 1, 3 + 2 * value);
    }
    view.DrawMagic(4, 12);
    const QImage img = Shot();
    EXPECT_TRUE(FilledExactly(img, BRect(70, 110, 89, 129), kWhite));
    EXPECT_TRUE(FilledExactly(img, CellRect(6, 19), kWhite));
    for (int value = 1; value <= 7; ++value) {
        SCOPED_TRACE(value);
        ExpectRings(img, value - 1, 3 + 2 * value, Gem(value));
    }
    ExpectRings(img, 4, 12, MagicRing);
    EXPECT_EQ(CellCenter(img, 0, 5), (Rgb{250, 70, 70}));
    EXPECT_EQ(CellCenter(img, 3, 11), (Rgb{70, 70, 70})) << "value 4 is near black";
}

TEST_F(Drawing, HiddenRowsAreNeverDrawn) {
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
    PlacePiece(view, 0, 2, "1M3");
    std::fill(std::begin(view.piecePos), std::end(view.piecePos), 0);
    for (uint8 on : {1, 0}) {
        view.drawOn = on;
        view.DrawPiece();
    }
    EXPECT_TRUE(Shot() == before);
}

TEST_F(Drawing, PieceIsDrawnAndErasedAtItsVisibleCells) {
    PlacePiece(view, 2, 7, "1M7");
    view.drawOn = 1;
    view.DrawPiece();
    ExpectRings(Shot(), 2, 5, Gem(1));
    ExpectRings(Shot(), 2, 6, MagicRing);
    ExpectRings(Shot(), 2, 7, Gem(7));
    view.drawOn = 0;
    view.DrawPiece();
    EXPECT_TRUE(FilledExactly(Shot(), BRect(50, 70, 69, 129), kWhite));
    // A fresh piece shows only its bottom gem.
    FillView(view, kMarker);
    PlacePiece(view, 3, 2, "123");
    view.drawOn = 1;
    view.DrawPiece();
    const Box ink = InkBox(Shot(), kViewBounds, ToRgb(kMarker));
    EXPECT_EQ(ink.top, GemCenter(3, 2).y - 9);
    EXPECT_EQ(ink.bottom, GemCenter(3, 2).y + 9);
    view.drawOn = 0;
    view.DrawPiece();
    EXPECT_TRUE(FilledExactly(Shot(), CellRect(3, 2), kWhite));
}

TEST_F(Drawing, FrameOutlinesShadeInwards) {
    view.DrawMisc();
    const QImage img = Shot();
    for (int i = 0; i < 10; ++i) {
        const Rgb color = {30 + 10 * i, 20 + 10 * i, 200 - 15 * i};
        for (int x = i; x <= 160 - i; ++x) {
            EXPECT_EQ(PixelAt(img, x, i), color) << "outline " << i << " top at " << x;
            EXPECT_EQ(PixelAt(img, x, 380 - i), color) << "outline " << i << " bottom at " << x;
        }
        for (int y = i; y <= 380 - i; ++y) {
            EXPECT_EQ(PixelAt(img, i, y), color) << "outline " << i << " left at " << y;
            EXPECT_EQ(PixelAt(img, 160 - i, y), color) << "outline " << i << " right at " << y;
        }
    }
    EXPECT_EQ(InkBox(img, BRect(10, 10, 150, 370), ToRgb(kMarker)).right, -1);
}

TEST_F(Drawing, RedrawPaintsEveryCellButNotTheGapsBesideTheFrame) {
    SetBoard(view, "1234567\n"
                   "M2.4..4\n"
                   "7654321");
    view.DrawMisc();
    view.Redraw();
    const QImage img = Shot();
    EXPECT_TRUE(FilledExactly(img, CellRect(2, 18), kWhite));
    ExpectRings(img, 0, 18, MagicRing);
    ExpectRings(img, 6, 18, Gem(4));
    ExpectRings(img, 6, 19, Gem(1));
    // The column x 150 and the row y 370 belong to neither the well nor the frame.
    for (int y = 10; y <= 370; ++y)
        EXPECT_EQ(PixelAt(img, 150, y), ToRgb(kMarker)) << "x 150, y " << y;
    for (int x = 10; x <= 150; ++x)
        EXPECT_EQ(PixelAt(img, x, 370), ToRgb(kMarker)) << "x " << x << ", y 370";
    EXPECT_EQ(PixelAt(img, 0, 380), kWhite) << "the strip covers the frame's bottom edge";
}

TEST_F(Drawing, ScoreIsCenteredOnTheBaseline) {
    Box ink[2];
    for (int i : {0, 1}) {
        view.score = i == 0 ? 7 : 77777;
        view.Redraw();
        ink[i] = InkBox(Shot(), kScoreStrip, kWhite);
        EXPECT_EQ(ink[i].bottom, 398);
        EXPECT_NEAR((ink[i].left + ink[i].right) / 2.0, 80, 3);
    }
    EXPECT_LT(ink[1].left, ink[0].left - 20);
    const QImage img = Shot();
    int core = 0; // the strokes' cores have the text color
    for (int y = ink[1].top; y <= ink[1].bottom; ++y)
        for (int x = ink[1].left; x <= ink[1].right; ++x)
            core += PixelAt(img, x, y) == Rgb{20, 20, 20};
    EXPECT_GT(core, 20);
}

} // namespace
