// Sync puts the picture on screen at once, without going back to the event loop: a clearing
// shows two frames inside one call and nothing else gets to run in between.
#include "platform/Snooze.h"
#include "platform/Window.h"
#include "tests/GameTest.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// The color the screen shows at pixel (x, y) of the view.
Rgb OnScreen(const TumbleView& view, int x, int y) {
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QPoint at = view.Widget()->mapToGlobal(QPoint(x, y));
    const QRgb p = shot.pixel(at * shot.devicePixelRatio());
    return {qRed(p), qGreen(p), qBlue(p)};
}

class SyncTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<BWindow>(kWindowFrame, "Tumblegem", B_TITLED_WINDOW,
                                           B_NOT_RESIZABLE | B_NOT_ZOOMABLE);
        view = new TumbleView(kViewFrame);
        window->AddChild(view);
        window->Show();
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        view->highScore = 1 << 30; // no score file is written when the round ends
        view->StartGame();
        window->SetPulseRate(0);
    }

    std::unique_ptr<BWindow> window;
    TumbleView* view = nullptr;
};

constexpr Rgb kWhite{255, 255, 255};

void Place(TumbleView& view, int column, int bottomRow) {
    for (int gem = 0; gem < kPieceGems; ++gem) {
        view.piecePos[2 * gem] = static_cast<int8>(column);
        view.piecePos[2 * gem + 1] = static_cast<int8>(bottomRow - 2 + gem);
        view.pieceColor[gem] = static_cast<uint8>(gem + 1);
    }
}

int CenterX(int column) {
    return static_cast<int>(GemCenter(column, 0).x);
}
int CenterY(int row) {
    return static_cast<int>(GemCenter(0, row).y);
}

TEST_F(SyncTest, DrawnPieceIsOnScreenWhenDrawPieceReturns) {
    Place(*view, 2, 10);
    view->DrawPiece();
    EXPECT_EQ(OnScreen(*view, CenterX(2), CenterY(8)), (Rgb{250, 70, 70}));
    EXPECT_EQ(OnScreen(*view, CenterX(2), CenterY(9)), (Rgb{70, 250, 70}));
    EXPECT_EQ(OnScreen(*view, CenterX(2), CenterY(10)), (Rgb{70, 70, 250}));
}

TEST_F(SyncTest, MoveShowsTheErasedAndTheNewCells) {
    Place(*view, 2, 10);
    view->DrawPiece();
    view->MoveRight();
    EXPECT_EQ(OnScreen(*view, CenterX(2), CenterY(10)), kWhite);
    EXPECT_EQ(OnScreen(*view, CenterX(3), CenterY(10)), (Rgb{70, 70, 250}));
}

TEST_F(SyncTest, EachFrameOfAClearingIsOnScreenDuringItsPause) {
    // Three 1s in the bottom row clear; the 2 above the middle one then falls into the gap.
    SetBoard(*view, "...2...\n"
                    "..11...\n");
    Place(*view, 4, 19);
    view->pieceColor[2] = 1;
    view->pieceColor[1] = 5;
    view->pieceColor[0] = 6;
    view->DrawPiece();
    static std::vector<Rgb> seen;
    static const TumbleView* watched = nullptr;
    seen.clear();
    watched = view;
    SetSnoozeHook([](bigtime_t) { seen.push_back(OnScreen(*watched, CenterX(3), CenterY(19))); });
    view->DropSome();
    SetSnoozeHook(nullptr);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen[0], kWhite);             // cleared
    EXPECT_EQ(seen[1], (Rgb{70, 250, 70})); // the 2 has fallen
}

} // namespace
