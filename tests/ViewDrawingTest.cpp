// The kit's drawing: where fills, outlines, circles and text land in the back buffer.
#include "tests/Board.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr rgb_color kPaper = {250, 240, 230, 255};
constexpr rgb_color kInk = {200, 30, 60, 255};
// DejaVu Sans: a capital's height per pixel of font size.
constexpr double kCapHeight = 0.729;

class KitDrawing : public ::testing::Test {
protected:
    void SetUp() override { FillView(view, kPaper); }
    QImage Shot() const { return view.Snapshot(); }

    BView view{BRect(0, 0, 160, 400), "kit", B_FOLLOW_ALL_SIDES, B_WILL_DRAW};
};

TEST_F(KitDrawing, FillRectIncludesBothEdgesAndNoMore) {
    view.SetHighColor(kInk);
    view.FillRect(BRect(10, 5, 29, 7));
    EXPECT_TRUE(FilledExactly(Shot(), BRect(10, 5, 29, 7), ToRgb(kInk)));
}

TEST_F(KitDrawing, StrokeRectPaintsOnlyTheEdgePixels) {
    view.SetHighColor(kInk);
    view.StrokeRect(BRect(10, 20, 29, 34));
    const QImage img = Shot();
    for (int y = 19; y <= 35; ++y) {
        for (int x = 9; x <= 30; ++x) {
            const bool inside = x >= 10 && x <= 29 && y >= 20 && y <= 34;
            const bool edge = inside && (x == 10 || x == 29 || y == 20 || y == 34);
            EXPECT_EQ(PixelAt(img, x, y), ToRgb(edge ? kInk : kPaper)) << x << ", " << y;
        }
    }
}

TEST_F(KitDrawing, CirclesAreSymmetricAboutTheirCentrePixel) {
    constexpr int cx = 20, cy = 19;
    // Whole radii take the stamped path, unequal radii the painter's.
    const struct { float rx, ry; } shapes[] = {{3, 3}, {9, 9}, {12, 12}, {9, 5}};
    for (const auto& s : shapes) {
        FillView(view, kPaper);
        view.SetHighColor(kInk);
        view.FillEllipse(BPoint(cx, cy), s.rx, s.ry);
        const QImage img = Shot();
        const int reach = static_cast<int>(std::max(s.rx, s.ry)) + 2;
        // The painter's anti-aliasing may round mirrored pixels one step apart.
        const int tolerance = s.rx == s.ry ? 0 : 1;
        const auto mirrors = [&](int dx, int dy) {
            const Rgb p = PixelAt(img, cx + dx, cy + dy);
            for (const Rgb q : {PixelAt(img, cx - dx, cy + dy), PixelAt(img, cx + dx, cy - dy),
                                PixelAt(img, cx - dx, cy - dy)}) {
                if (std::abs(p.r - q.r) > tolerance || std::abs(p.g - q.g) > tolerance ||
                    std::abs(p.b - q.b) > tolerance)
                    return false;
            }
            return true;
        };
        for (int dy = 0; dy <= reach; ++dy)
            for (int dx = 0; dx <= reach; ++dx)
                EXPECT_TRUE(mirrors(dx, dy)) << s.rx << "x" << s.ry << " at " << dx << ", " << dy;
        if (s.rx != s.ry)
            continue;
        // On the axes a disc reaches exactly its radius, in pure colour.
        const int r = static_cast<int>(s.rx);
        EXPECT_EQ(PixelAt(img, cx + r, cy), ToRgb(kInk)) << r;
        EXPECT_EQ(PixelAt(img, cx + r + 1, cy), ToRgb(kPaper)) << r;
    }
}

TEST_F(KitDrawing, TextSitsOnTheBaselineAtItsPixelSize) {
    for (const int size : {20, 40}) {
        FillView(view, kPaper);
        view.SetHighColor(kInk);
        view.SetFontSize(static_cast<float>(size));
        view.MovePenTo(20, 100);
        view.DrawString("H");
        const Box ink = InkBox(Shot(), BRect(0, 0, 160, 200), ToRgb(kPaper));
        EXPECT_EQ(ink.bottom, 100) << size;
        EXPECT_NEAR(ink.bottom - ink.top + 1, kCapHeight * size, 2.0) << size;
        EXPECT_GE(ink.left, 20) << size;
        EXPECT_LE(ink.left, 20 + size / 4) << size;
    }
}

TEST_F(KitDrawing, StringWidthGrowsWithTheText) {
    view.SetFontSize(22);
    const float one = view.StringWidth("Score: 7");
    const float five = view.StringWidth("Score: 77777");
    EXPECT_GT(one, view.StringWidth("Score: "));
    EXPECT_NEAR(five - one, 4 * (one - view.StringWidth("Score: ")), 0.5);
    EXPECT_EQ(view.StringWidth(""), 0);
    // The pen moves on by the text's width.
    view.MovePenTo(10, 50);
    view.DrawString("Score: 7");
    EXPECT_FLOAT_EQ(view.PenLocation().x, 10 + one);
}

TEST_F(KitDrawing, HighColorIsWhatWasSet) {
    view.SetHighColor(kInk);
    EXPECT_EQ(view.HighColor(), kInk);
    view.SetHighColor(1, 2, 3);
    EXPECT_EQ(view.HighColor(), (rgb_color{1, 2, 3, 255}));
}

} // namespace
