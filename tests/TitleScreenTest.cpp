// The title screen: when it is drawn, and what it shows.
#include "tests/GameTest.h"

#include <QTest>

#include <tuple>

namespace {

constexpr Rgb kTitleBackground{220, 220, 255};

// A shown window holding a fresh view, in a folder of its own so no score file is shared.
class TitleScreenTest : public ::testing::Test {
protected:
    void Uncover() {
        game.window->Hide();
        game.window->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(game.window->Widget()));
        Settle();
    }
    Rgb At(int x, int y) const { return PixelAt(view->Snapshot(), x, y); }

    ScratchDir scratch;
    GameWindow game = MakeGameWindow(nullptr, true);
    TumbleView* view = game.view;
};

// The 14-pixel line around the baseline is the text as drawn on its own, its ink centered on
// x 80.
void ExpectLine(const QImage& image, const char* text, int baseline) {
    BView alone(kViewBounds, "expected", 0, B_WILL_DRAW);
    FillView(alone, {220, 220, 255, 255});
    alone.SetHighColor(20, 20, 20);
    alone.SetFontSize(14);
    alone.MovePenTo(80 - 0.5f * alone.StringWidth(text), static_cast<float>(baseline));
    alone.DrawString(text);
    const QRect band(0, baseline - 16, 161, 22);
    EXPECT_TRUE(image.copy(band) == alone.Snapshot().copy(band)) << text;
    const Box ink = InkBox(image, BRect(0, baseline - 16, 160, baseline + 5), kTitleBackground);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 80, 1.5) << text;
}

} // namespace

TEST_F(TitleScreenTest, ShowsTheBestAndTheLastRoundFromTheFirstShowOn) {
    for (auto [x, y] : {std::pair{0, 0}, {160, 0}, {0, 400}, {160, 400}, {80, 300}})
        EXPECT_EQ(At(x, y), kTitleBackground) << x << "," << y;
    // The name starts at x 8 (a face's edge may shade the pixel before) and ends short of the
    // view's right edge, in any face.
    const Box name = InkBox(view->Snapshot(), BRect(0, 120, 160, 155), kTitleBackground);
    EXPECT_GE(name.left, 7);
    EXPECT_LE(name.left, 11);
    EXPECT_LE(name.right, 157);
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
        ExpectLine(view->Snapshot(), high, 200);
        ExpectLine(view->Snapshot(), last, 230);
    }
}

// Sync only shows the buffer; invalidating and uncovering draw it anew, a paused round as the
// game rather than the title.
TEST_F(TitleScreenTest, OnlyInvalidatingAndUncoveringDraw) {
    const auto scribble = [this] { FillView(*view, {1, 2, 3, 255}); };
    scribble();
    view->Sync();
    Settle();
    EXPECT_EQ(At(80, 300), (Rgb{1, 2, 3}));
    view->Invalidate();
    Settle();
    EXPECT_EQ(At(80, 300), kTitleBackground);
    scribble();
    Uncover();
    EXPECT_EQ(At(80, 300), kTitleBackground);

    view->StartGame();
    view->KeyDown("\n", 1);
    ASSERT_EQ(view->gameState, kPaused);
    scribble();
    Uncover();
    EXPECT_EQ(view->gameState, kPaused);
    EXPECT_EQ(At(160, 200), (Rgb{30, 20, 200})) << "the frame";
    EXPECT_EQ(At(80, 300), kWhite) << "a blank cell";
}
