// The title screen: when it is drawn, and what it shows.
#include "game/TumbleView.h"
#include "platform/Window.h"
#include "tests/AppTestSupport.h"
#include "tests/Board.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

namespace {

constexpr Rgb kTitleBackground{220, 220, 255};
constexpr Rgb kFrameOuter{30, 20, 200};
constexpr Rgb kWhite{255, 255, 255};
constexpr rgb_color kScribble = {1, 2, 3, 255};
constexpr float kHighScoreBaseline = 200;
constexpr float kLastRoundBaseline = 230;
// Rows of the 14-pixel lines around their baselines, generously.
constexpr int kAboveBaseline = 16;
constexpr int kBelowBaseline = 5;
constexpr float kCentreX = 80;
constexpr float kNameBaseline = 150;
constexpr int kNameHeight = 30;
constexpr float kCentreSlack = 1.5f;

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
        window = std::make_unique<BWindow>(BRect(100, 100, 260, 520), "Tumblegem", B_TITLED_WINDOW,
                                           B_NOT_RESIZABLE);
        view = new CountingTumbleView(BRect(0, 20, 160, 420));
        window->AddChild(view);
        window->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window->Widget()));
        Settle();
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

    // A round that ends with the given score.
    void PlayRound(int32 finalScore) {
        view->StartGame();
        view->score = finalScore;
        view->EndGame();
        Settle();
    }

    QTemporaryDir folder;
    QString previous;
    std::unique_ptr<BWindow> window;
    CountingTumbleView* view = nullptr;
};

struct Ink {
    int left = 1000;
    int right = -1;
    float Centre() const { return (left + right) / 2.0f; }
};

// Columns of the line's band that hold anything but the background.
Ink InkOf(const QImage& image, float baseline, int above = kAboveBaseline) {
    Ink ink;
    for (int y = static_cast<int>(baseline) - above;
         y <= static_cast<int>(baseline) + kBelowBaseline; ++y) {
        for (int x = 0; x <= 160; ++x) {
            if (PixelAt(image, x, y) != kTitleBackground) {
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    }
    return ink;
}

// The line as the title screen should show it: the text centred on x 80 at the baseline.
QImage ExpectedLine(const char* text, float baseline) {
    BView expected(BRect(0, 0, 160, 400), "expected", 0, B_WILL_DRAW);
    expected.SetHighColor(220, 220, 255);
    expected.FillRect(BRect(0, 0, 160, 400));
    expected.SetHighColor(20, 20, 20);
    expected.SetLowColor(220, 220, 255);
    expected.SetFontSize(14);
    expected.MovePenTo(kCentreX - 0.5f * expected.StringWidth(text), baseline);
    expected.DrawString(text);
    return expected.Snapshot();
}

// Whether the band around the baseline matches the expected line pixel for pixel.
bool ShowsLine(const QImage& image, const char* text, float baseline) {
    const QImage expected = ExpectedLine(text, baseline);
    for (int y = static_cast<int>(baseline) - kAboveBaseline;
         y <= static_cast<int>(baseline) + kBelowBaseline; ++y) {
        for (int x = 0; x <= 160; ++x) {
            if (PixelAt(image, x, y) != PixelAt(expected, x, y))
                return false;
        }
    }
    return true;
}

void ExpectScores(const QImage& image, const char* high, const char* last) {
    EXPECT_TRUE(ShowsLine(image, high, kHighScoreBaseline)) << "expected " << high;
    EXPECT_TRUE(ShowsLine(image, last, kLastRoundBaseline)) << "expected " << last;
    for (float baseline : {kHighScoreBaseline, kLastRoundBaseline}) {
        const Ink ink = InkOf(image, baseline);
        ASSERT_LE(ink.left, ink.right) << "nothing drawn at " << baseline;
        EXPECT_NEAR(ink.Centre(), kCentreX, kCentreSlack) << "line at " << baseline;
    }
}

} // namespace

TEST_F(TitleScreenTest, FirstShowDrawsTheTitleWithZeroForTheLastRound) {
    EXPECT_GE(view->draws, 1);
    const QImage image = view->Snapshot();
    for (auto [x, y] : {std::pair{0, 0}, {160, 0}, {0, 400}, {160, 400}, {80, 300}})
        EXPECT_EQ(PixelAt(image, x, y), kTitleBackground) << x << "," << y;
    EXPECT_STREQ(view->textBuf, "Last round: 0");
    ExpectScores(image, "High score: 0", "Last round: 0");
    // The name starts at x 8, in dark ink.
    const Ink name = InkOf(image, kNameBaseline, kNameHeight);
    EXPECT_GE(name.left, 8);
    EXPECT_LE(name.left, 11);
}

TEST_F(TitleScreenTest, ShowsTheBestAndTheLastRoundAfterEachRound) {
    view->highScore = 50; // as if loaded
    PlayRound(35);
    EXPECT_STREQ(view->textBuf, "Last round: 35");
    ExpectScores(view->Snapshot(), "High score: 50", "Last round: 35");
    PlayRound(60);
    EXPECT_STREQ(view->textBuf, "Last round: 60");
    ExpectScores(view->Snapshot(), "High score: 60", "Last round: 60");
}

TEST_F(TitleScreenTest, SyncShowsTheBufferWithoutDrawingAndInvalidateDraws) {
    Settle();
    const int draws = view->draws;
    view->SetHighColor(kScribble);
    view->FillRect(BRect(0, 0, 160, 400));
    view->Sync();
    Settle();
    EXPECT_EQ(view->draws, draws);
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), (Rgb{1, 2, 3}));
    view->Invalidate();
    Settle();
    EXPECT_EQ(view->draws, draws + 1);
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), kTitleBackground);
}

TEST_F(TitleScreenTest, ShowingAgainRedrawsTheTitleFromScratch) {
    view->SetHighColor(kScribble);
    view->FillRect(BRect(0, 0, 160, 400));
    Uncover();
    EXPECT_EQ(PixelAt(view->Snapshot(), 80, 300), kTitleBackground);
}

TEST_F(TitleScreenTest, UncoveringAPausedRoundRedrawsTheGameNotTheTitle) {
    view->StartGame();
    SetBoard(*view, {
                        "1......",
                        "23.....",
                    });
    view->KeyDown("\n", 1);
    ASSERT_EQ(view->gameState, kPaused);
    view->SetHighColor(kScribble);
    view->FillRect(BRect(0, 0, 160, 400));
    Uncover();
    const QImage image = view->Snapshot();
    EXPECT_EQ(PixelAt(image, 0, 0), kFrameOuter);
    EXPECT_EQ(PixelAt(image, 160, 200), kFrameOuter);
    EXPECT_EQ(PixelAt(image, 5, 390), kWhite); // the score strip, left of its text
    // The landed gems and the piece are back; an empty cell is blank.
    EXPECT_NE(PixelAt(image, 20, 19 * 20 - 21), kWhite);
    EXPECT_NE(PixelAt(image, 40, 19 * 20 - 21), kWhite);
    EXPECT_EQ(PixelAt(image, 60, 19 * 20 - 21), kWhite);
    EXPECT_NE(PixelAt(image, 80, 2 * 20 - 21), kWhite);
    EXPECT_EQ(view->gameState, kPaused);
}
