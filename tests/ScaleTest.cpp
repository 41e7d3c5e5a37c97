// On a screen of two device pixels per view pixel the buffer is drawn at that density:
// circles and edges land on device pixels, not on stretched view pixels.
#include "tests/GameTest.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

constexpr rgb_color kMarker = {1, 99, 7, 255};
constexpr int kScale = 2;

Rgb DevicePixel(const QImage& img, int x, int y) {
    const QRgb p = img.pixel(x, y);
    return {qRed(p), qGreen(p), qBlue(p)};
}

class DoubleDensity : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(view.BufferScale(), kScale) << "run with QT_SCALE_FACTOR=2";
        FillView(view, kMarker);
    }
    TumbleView view{kViewFrame};
};

// Fill edges and gem bands fall on device pixels, in pure colors.
TEST_F(DoubleDensity, FillsAndGemBandsAreCrispOnEveryDevicePixel) {
    constexpr int x = 3, y = 10;
    constexpr int cx = static_cast<int>(GemCenter(x, y).x),
                  cy = static_cast<int>(GemCenter(x, y).y);
    view.SetHighColor(255, 255, 255);
    view.FillRect(BRect(10, 30, 29, 49));
    view.SetOurColor(1);
    view.DrawGem(x, y);
    view.DrawMagic(x, y + 2);
    const QImage img = view.Snapshot();
    EXPECT_EQ(img.width(), 322);
    EXPECT_EQ(img.height(), 802);
    // Both device rows of the center row, both device columns of each view pixel right of it.
    for (int d = 0; d <= 10; ++d) {
        for (int sub = 0; sub < kScale * kScale; ++sub) {
            const int dx = (cx + d) * kScale + sub % kScale;
            const int dy = cy * kScale + sub / kScale;
            const Rgb outside = ToRgb(kMarker);
            EXPECT_EQ(DevicePixel(img, dx, dy), d > 9 ? outside : GemRing({200, 20, 20}, d))
                << "gem at " << d << ", sub " << sub;
            EXPECT_EQ(DevicePixel(img, dx, dy + 40 * kScale), d > 9 ? outside : MagicRing(d))
                << "magic at " << d << ", sub " << sub;
        }
    }
    for (const int row : {60, 79, 98, 99}) {
        EXPECT_EQ(DevicePixel(img, 19, row), ToRgb(kMarker)) << row;
        EXPECT_EQ(DevicePixel(img, 20, row), kWhite) << row;
        EXPECT_EQ(DevicePixel(img, 59, row), kWhite) << row;
        EXPECT_EQ(DevicePixel(img, 60, row), ToRgb(kMarker)) << row;
    }
    EXPECT_EQ(DevicePixel(img, 40, 59), ToRgb(kMarker));
    EXPECT_EQ(DevicePixel(img, 40, 100), ToRgb(kMarker));
}

TEST_F(DoubleDensity, ScoreTextKeepsItsBaselineAndCenter) {
    view.score = 77777;
    view.Redraw();
    const QImage img = view.Snapshot();
    int left = img.width(), right = -1, bottom = -1;
    for (int y = static_cast<int>(kScoreStrip.top) * kScale; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            if (DevicePixel(img, x, y) != kWhite) {
                left = std::min(left, x);
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_EQ(bottom / kScale, 398);
    EXPECT_NEAR((left + right + 1) / 2.0, 80.5 * kScale, 3 * kScale);
}

} // namespace

namespace {

QImage OnScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

// Run at every ratio: what the window shows after a round's partial updates is exactly what
// a full repaint of the same picture shows.
using AnyRatio = GameTest;

TEST_F(AnyRatio, PartialUpdatesShowWhatAFullRepaintShows) {
    window.Show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    view->StartGame();
    window.SetPulseRate(0);
    // The piece moves left, turns, falls and completes the bottom row, which clears.
    SetBoard(*view, "....2..\n"
                    "11..1..\n");
    view->Redraw();
    PlacePiece(*view, 4, 6, "231");
    view->DrawPiece();
    for (const char key : {B_LEFT_ARROW, B_UP_ARROW, B_LEFT_ARROW, B_RIGHT_ARROW, B_UP_ARROW,
                           B_LEFT_ARROW, B_UP_ARROW, B_DOWN_ARROW})
        Press(key);
    while (view->piecePos[4] == 2)
        view->DropSome();
    ASSERT_EQ(LowRows(*view, "x\nx\n"), "..2.2..\n"
                                        "..3.1..\n");
    // The next piece only moves and falls.
    for (const char key : {B_RIGHT_ARROW, B_DOWN_ARROW, B_RIGHT_ARROW, B_DOWN_ARROW})
        Press(key);
    const QImage shown = OnScreen();
    view->Widget()->repaint();
    const QImage repainted = OnScreen();
    ASSERT_EQ(shown.size(), repainted.size());
    int differing = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x)
            differing += shown.pixel(x, y) != repainted.pixel(x, y);
    }
    EXPECT_EQ(differing, 0) << "at a device-pixel ratio of " << view->Widget()->devicePixelRatioF();
}

} // namespace
