// The title screen: when it is drawn, and what it shows.
#include "game/TumbleView.h"
#include "platform/Window.h"
#include "tests/AppTestSupport.h"
#include "tests/GameTest.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>

namespace {

constexpr Rgb kTitleBackground{220, 220, 255};
constexpr rgb_color kScribble = {1, 2, 3, 255};
// Rows of the 14-pixel lines around their baselines, generously.
constexpr int kAboveBaseline = 16;
constexpr int kBelowBaseline = 5;

class CountingTumbleView : public TumbleView {
public:
    using TumbleView::TumbleView;
    void Draw(BRect update) override {
        ++draws;
        TumbleView::Draw(update);
    }
    int draws = 0;
};

// A shown window holding a fresh view, in a folder of its own so no score file is shared.
class TitleScreenTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        previous = QDir::currentPath();
        QDir::setCurrent(folder.path());
        window =
            std::make_unique<BWindow>(kWindowFrame, "Tumblegem", B_TITLED_WINDOW, B_NOT_RESIZABLE);
        view = new CountingTumbleView(kViewFrame);
        window->AddChild(view);
        Uncover();
    }
    void TearDown() override {
        window.reset();
        QDir::setCurrent(previous);
    }
    void Uncover() {
        window->Hide();
        window->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));
        Settle();
    }
    void Scribble() {
        view->SetHighColor(kScribble);
        view->FillRect(kViewBounds);
    }

    QTemporaryDir folder;
    QString previous;
    std::unique_ptr<BWindow> window;
    CountingTumbleView* view = nullptr;
};

// The band around the baseline shows the text in 14-pixel dark ink centered on x 80, pixel for
// pixel as drawn on its own; and its ink is centered there.
void ExpectLine(const QImage& image, const char* text, float baseline) {
    BView alone(kViewBounds, "expected", 0, B_WILL_DRAW);
    alone.SetHighColor(220, 220, 255);
    alone.FillRect(kViewBounds);
    alone.SetHighColor(20, 20, 20);
    alone.SetLowColor(220, 220, 255);
    alone.SetFontSize(14);
    alone.MovePenTo(80 - 0.5f * alone.StringWidth(text), baseline);
    alone.DrawString(text);
    const QImage expected = alone.Snapshot();
    int left = 1000, right = -1, differ = 0;
    for (int y = static_cast<int>(baseline) - kAboveBaseline;
         y <= static_cast<int>(baseline) + kBelowBaseline; ++y) {
        for (int x = 0; x <= 160; ++x) {
            differ += PixelAt(image, x, y) != PixelAt(expected, x, y);
            if (PixelAt(image, x, y) != kTitleBackground) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_EQ(differ, 0) << "expected " << text;
    EXPECT_NEAR((left + right) / 2.0, 80, 1.5) << text;
}

} // namespace

TEST_F(TitleScreenTest, ShowsTheBestAndTheLastRoundFromTheFirstShowOn) {
    EXPECT_GE(view->draws, 1);
    const QImage image = view->Snapshot();
    for (auto [x, y] : {std::pair{0, 0}, {160, 0}, {0, 400}, {160, 400}, {80, 300}})
        EXPECT_EQ(PixelAt(image, x, y), kTitleBackground) << x << "," << y;
    // The name starts at x 8 (a face's edge may shade the pixel before) and ends short of the
    // view's right edge, in any face.
    const Box name = InkBox(image, BRect(0, 120, 160, 155), kTitleBackground);
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

TEST_F(TitleScreenTest, SyncShowsTheBufferWithoutDrawingAndUncoveringDraws) {
    const int draws = view->draws;
    Scribble();
    view->Sync();
    Settle();
    EXPECT_EQ(view->draws, draws);
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), (Rgb{1, 2, 3}));
    view->Invalidate();
    Settle();
    EXPECT_EQ(view->draws, draws + 1);
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), kTitleBackground);
    Scribble();
    Uncover();
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), kTitleBackground);
}

TEST_F(TitleScreenTest, UncoveringAPausedRoundRedrawsTheGameNotTheTitle) {
    view->StartGame();
    SetBoard(*view, "1......\n"
                    "23.....");
    view->KeyDown("\n", 1);
    ASSERT_EQ(view->gameState, kPaused);
    Scribble();
    Uncover();
    EXPECT_EQ(view->gameState, kPaused);
    const QImage image = view->Snapshot();
    EXPECT_EQ(PixelAt(image, 0, 0), (Rgb{30, 20, 200})) << "the frame";
    EXPECT_EQ(PixelAt(image, 160, 200), (Rgb{30, 20, 200}));
    EXPECT_EQ(PixelAt(image, 5, 390), kWhite) << "the score strip, left of its text";
    // The landed gems and the piece are back; an empty cell is blank.
    for (auto [x, y, blank] :
         {std::tuple{0, 19, false}, {1, 19, false}, {2, 19, true}, {3, 2, false}})
        EXPECT_EQ(CellCenter(image, x, y) == kWhite, blank) << x << ", " << y;
}
