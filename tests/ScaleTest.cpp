// Run at every ratio, whole and fractional: the window shows each frame of a round as soon as
// it is drawn, and what its partial updates leave is exactly what a full repaint shows.
#include "tests/GameTest.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

QImage OnScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage();
}

struct AnyRatio : GameTest {
    AnyRatio() : GameTest(true) {}
};

TEST_F(AnyRatio, PartialUpdatesShowWhatAFullRepaintShows) {
    view->StartGame();
    window.SetPulseRate(0);
    // Each pause of a clearing shows the well as it is, before the event loop runs again.
    // Checked at ratio 1, where the screen holds the whole window.
    int pauses = 0;
    onPause = [&] {
        if (++pauses, view->Widget()->devicePixelRatioF() != 1)
            return;
        const QImage screen = OnScreen();
        for (int x = 0; x < kWellColumns; ++x)
            for (int y = kFirstVisibleRow; y < kWellRows; ++y) {
                const BPoint c = GemCenter(x, y);
                const QPoint at = view->Widget()->mapToGlobal(QPoint(c.x, c.y));
                EXPECT_EQ(screen.pixel(at) == qRgb(255, 255, 255), view->board[x][y] == kEmpty)
                    << "pause " << pauses << ", cell " << x << ", " << y;
            }
    };
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
    EXPECT_GE(pauses, 2);
    // The next piece only moves and falls.
    for (const char key : {B_RIGHT_ARROW, B_DOWN_ARROW, B_RIGHT_ARROW, B_DOWN_ARROW})
        Press(key);
    const QImage shown = OnScreen();
    view->Widget()->repaint();
    EXPECT_TRUE(shown == OnScreen())
        << "at a device-pixel ratio of " << view->Widget()->devicePixelRatioF();
}

} // namespace

// The window moved to a screen of another scale in the middle of a round, its next step the
// first thing drawn there: once the step is shown, the view holds what a full redraw holds.
struct ScaleChange : GameTest {
    ScaleChange() : GameTest(true) {}
};

TEST_F(ScaleChange, MidRoundLeavesWhatAFullRedrawShows) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        GTEST_SKIP() << "needs a second screen (tests/support/two_screens.json)";
    view->StartGame();
    window.SetPulseRate(0);
    Settle();
    QWidget* top = view->Widget()->window();
    const qreal before = top->devicePixelRatioF();
    QScreen* other = screens[before == screens[0]->devicePixelRatio() ? 1 : 0];
    // The platform's request to repaint the window at its new scale is still pending when the
    // round's next step syncs.
    top->setUpdatesEnabled(false);
    top->windowHandle()->setScreen(other);
    top->move(other->geometry().topLeft() + QPoint(50, 50));
    top->setUpdatesEnabled(true);
    if (top->devicePixelRatioF() == before)
        GTEST_SKIP() << "this Qt's offscreen platform keeps a window's scale on another screen";
    view->DropSome();
    Settle();
    ASSERT_NE(view->Widget()->devicePixelRatioF(), before);
    const QImage shown = view->Snapshot();
    view->Invalidate();
    Settle();
    EXPECT_TRUE(shown == view->Snapshot())
        << "from ratio " << before << " to " << view->Widget()->devicePixelRatioF();
}
