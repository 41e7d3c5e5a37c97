// The title screen: when it is drawn, and what it shows.
#include "tests/GameTest.h"

#include <QTest>

#include <functional>
#include <tuple>
#include <utility>

namespace {

constexpr Rgb kTitleBackground{220, 220, 255};

// A shown window holding a fresh view, in a folder of its own so no score file is shared.
class TitleScreenTest : public GameTest {
protected:
    TitleScreenTest() : GameTest(true) {}
    void Uncover() {
        window.Hide();
        window.Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.Widget()));
        Settle();
    }
};

} // namespace

// Nothing but the name above the lines, nothing below them. The name starts at x 8 (a face's
// edge may shade the pixel before), ends short of the view's right edge and, at 28 pixels,
// stands at least 24 high, in any face.
TEST_F(TitleScreenTest, ShowsTheBestAndTheLastRoundFromTheFirstShowOn) {
    const QRect name = InkBox(view->Snapshot(), BRect(0, 0, 160, 180), kTitleBackground);
    EXPECT_EQ(InkBox(view->Snapshot(), BRect(0, 240, 160, 400), kTitleBackground).right(), -1);
    EXPECT_GE(name.left(), 7);
    EXPECT_LE(name.left(), 11);
    EXPECT_LE(name.right(), 157);
    EXPECT_GE(name.height(), 24) << "the name in its own size";
    for (const auto& [score, best, high, last] :
         {std::tuple{-1, 0, "High score: 0", "Last round: 0"},
          {35, 50, "High score: 50", "Last round: 35"},
          {60, 50, "High score: 60", "Last round: 60"}}) {
        if (score >= 0) {
            view->highScore = best; // as if loaded
            view->StartGame();
            view->score = score;
            view->EndGame();
            Settle();
        }
        ExpectLine(view->Snapshot(), 184, 205, high, 14, 200, kTitleBackground);
        ExpectLine(view->Snapshot(), 214, 235, last, 14, 230, kTitleBackground);
    }
}

// Sync only shows the buffer; invalidating and uncovering draw it anew, a paused round as the
// game (its frame, a blank cell) rather than the title.
TEST_F(TitleScreenTest, OnlyInvalidatingAndUncoveringDraw) {
    const Rgb kScribble{1, 2, 3};
    for (const auto& [redraw, shows] :
         {std::pair<std::function<void()>, Rgb>{[&] { view->Sync(); }, kScribble},
          {[&] { view->Invalidate(); }, kTitleBackground},
          {[&] { Uncover(); }, kTitleBackground}}) {
        FillView(*view, kScribble);
        redraw();
        Settle();
        EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), shows);
    }
    view->StartGame();
    Press('\n');
    ASSERT_EQ(view->gameState, kPaused);
    FillView(*view, kScribble);
    Uncover();
    EXPECT_EQ(view->gameState, kPaused);
    EXPECT_EQ(PixelAt(view->Snapshot(), 160, 200), (Rgb{30, 20, 200})) << "the frame";
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), kWhite) << "a blank cell";
}
