// The game's window: its layout, menus, commands and the ways it quits.
#include "app/AboutText.h"
#include "app/Commands.h"
#include "app/TumbleWindow.h"
#include "game/TumbleView.h"
#include "tests/AppTestSupport.h"
#include "tests/Board.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// Guards against hangs only; nothing is asserted about how long anything takes.
constexpr int kWaitGuardMs = 10000;
constexpr int kPollMs = 10;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteScoreFile("50");
        app = std::make_unique<BApplication>(kSignature);
        window = new TumbleWindow();
        view = window->View();
        windowWidget = window->Widget();
        Settle();
    }
    void TearDown() override { app.reset(); }

    // A round under way with the best beaten: 60 against the stored 50.
    void PlayBetterRound() {
        window->PostMessage(kNewGameCommand);
        Settle();
        ASSERT_EQ(view->gameState, kRunning);
        view->score = 60;
    }

    std::unique_ptr<BApplication> app;
    TumbleWindow* window = nullptr;
    TumbleView* view = nullptr;
    QPointer<QWidget> windowWidget; // null once the window is gone
};

struct MenuText {
    std::string title;
    // "-" for a separator, "label shortcut" otherwise; " (disabled)" after a disabled one.
    std::vector<std::string> items;
};

std::vector<MenuText> DescribeMenus(QWidget* window) {
    std::vector<MenuText> menus;
    const auto* bar = window->findChild<QMenuBar*>();
    if (bar == nullptr)
        return menus;
    for (QAction* title : bar->actions()) {
        MenuText menu{title->text().toStdString(), {}};
        for (QAction* item : title->menu()->actions()) {
            std::string text = item->isSeparator() ? "-"
                                                   : item->text().toStdString() + " " +
                                                         item->shortcut().toString().toStdString();
            if (!item->isEnabled())
                text += " (disabled)";
            menu.items.push_back(text);
        }
        menus.push_back(menu);
    }
    return menus;
}

// Runs check once the alert is up, inside its event loop.
void WhenAlertIsUp(const std::function<void(QMessageBox*)>& check) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, check] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        poll->stop();
        poll->deleteLater();
        check(box);
    });
    poll->start(kPollMs);
}

} // namespace

TEST_F(WindowTest, SitsAtItsFrameWithTheBarOnTopAndTheViewUnderIt) {
    EXPECT_EQ(windowWidget->windowTitle(), QStringLiteral("Tumblegem"));
    // Placement on screen is up to the platform (the offscreen one adds a frame margin).
    EXPECT_EQ(window->Frame().left, 100);
    EXPECT_EQ(window->Frame().top, 100);
    EXPECT_EQ(windowWidget->size(), QSize(161, 421));
    // Not resizable: the smallest and largest sizes are the content size.
    EXPECT_EQ(windowWidget->minimumSize(), QSize(161, 421));
    EXPECT_EQ(windowWidget->maximumSize(), QSize(161, 421));
    const auto* bar = windowWidget->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(0, 0, 161, 20));
    EXPECT_EQ(view->Widget()->geometry(), QRect(0, 20, 161, 401));
    EXPECT_EQ(view->Bounds().right, 160);
    EXPECT_EQ(windowWidget->focusWidget(), view->Widget());
    EXPECT_EQ(window->PulseRate(), 0);
}

TEST_F(WindowTest, MenusListTheirItemsInOrderWithCtrlShortcuts) {
    const std::vector<MenuText> menus = DescribeMenus(windowWidget);
    ASSERT_EQ(menus.size(), 2u);
    EXPECT_EQ(menus[0].title, "Game");
    EXPECT_EQ(menus[0].items,
              (std::vector<std::string>{"New game Ctrl+N", "End game Ctrl+E", "-", "Quit Ctrl+Q"}));
    EXPECT_EQ(menus[1].title, "Help");
    EXPECT_EQ(menus[1].items, (std::vector<std::string>{"About Ctrl+A"}));
}

TEST_F(WindowTest, CtrlNFromTheKeyboardStartsARoundAndPlainNDoesNot) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowWidget));
    QWindow* handle = windowWidget->windowHandle();
    QTest::keyClick(handle, Qt::Key_N);
    Settle();
    EXPECT_EQ(view->gameState, kIdle);
    QTest::keyClick(handle, Qt::Key_N, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(window->PulseRate(), kPulseRate);
}

TEST_F(WindowTest, NewGameDuringARoundChangesNothing) {
    window->PostMessage(kNewGameCommand);
    Settle();
    ASSERT_EQ(view->gameState, kRunning);
    SetBoard(*view, {
                        "..1....",
                        "..23...",
                    });
    view->score = 7;
    window->PostMessage(kNewGameCommand);
    Settle();
    EXPECT_EQ(view->score, 7);
    EXPECT_EQ(CountGems(*view), 3);
    EXPECT_EQ(view->gameState, kRunning);
}

TEST_F(WindowTest, EndGameWhileIdleQuitsAtOnce) {
    window->PostMessage(kEndGameCommand);
    EXPECT_TRUE(RunUntilQuit(*app));
    EXPECT_TRUE(windowWidget.isNull());
    EXPECT_EQ(app->CountWindows(), 0);
    EXPECT_EQ(ReadScoreFile(), "50");
}

TEST_F(WindowTest, EndGameAfterABetterRoundSavesItThenQuits) {
    PlayBetterRound();
    window->PostMessage(kEndGameCommand);
    EXPECT_TRUE(RunUntilQuit(*app));
    EXPECT_TRUE(windowWidget.isNull());
    EXPECT_EQ(ReadScoreFile(), "60");
}

TEST_F(WindowTest, QuitDuringABetterRoundSavesNothing) {
    PlayBetterRound();
    window->PostMessage(kQuitCommand);
    EXPECT_TRUE(RunUntilQuit(*app));
    EXPECT_TRUE(windowWidget.isNull());
    EXPECT_EQ(ReadScoreFile(), "50");
}

TEST_F(WindowTest, ClosingTheWindowDuringABetterRoundSavesNothing) {
    PlayBetterRound();
    windowWidget->close();
    EXPECT_TRUE(RunUntilQuit(*app));
    EXPECT_TRUE(windowWidget.isNull());
    EXPECT_EQ(ReadScoreFile(), "50");
}

TEST_F(WindowTest, QuitShortcutEndsTheRun) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowWidget));
    QTest::keyClick(windowWidget->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(RunUntilQuit(*app));
    EXPECT_TRUE(windowWidget.isNull());
}

TEST_F(WindowTest, UnknownMessagesAreDropped) {
    window->PostMessage(kNewGameCommand);
    Settle();
    view->score = 9;
    window->PostMessage(FourCharCode("GMxx"));
    window->PostMessage(FourCharCode("_QRX"));
    Settle();
    EXPECT_FALSE(windowWidget.isNull());
    EXPECT_FALSE(windowWidget->isHidden());
    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(view->score, 9);
}

TEST(AboutText, FitsItsBufferAndShowsVersionOnePointOneZero) {
    char text[kAboutTextSize];
    std::memset(text, 'x', sizeof text);
    const int needed = FormatAboutText(text);
    EXPECT_LT(needed, static_cast<int>(kAboutTextSize));
    EXPECT_EQ(std::strlen(text), static_cast<size_t>(needed));
    EXPECT_EQ(std::string(text).rfind("Tumblegem v1.10: ", 0), 0u) << text;
    EXPECT_GT(std::strlen(text), std::strlen("Tumblegem v1.10: ")); // a credit line follows
}

TEST_F(WindowTest, AboutBoxHoldsTheRoundUntilCoolIsPressed) {
    PlayBetterRound();
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowWidget));
    const std::string before = BoardText(*view);
    const int8 pieceRow = view->piecePos[5];
    bool checked = false;
    WhenAlertIsUp([&](QMessageBox* box) {
        checked = true;
        char expected[kAboutTextSize];
        FormatAboutText(expected);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(box->text().toStdString(), expected);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons()[0]->text(), QStringLiteral("Cool"));
        // Keys to the game window go nowhere while the box is up.
        QTest::keyClick(windowWidget->windowHandle(), Qt::Key_Down);
        QTest::keyClick(windowWidget->windowHandle(), Qt::Key_Left);
        // Longer than a pulse interval, so a pulse that was not held would have moved the piece.
        QTimer::singleShot(2 * kPulseRate / 1000, box, [&, box] {
            EXPECT_EQ(view->piecePos[5], pieceRow);
            EXPECT_EQ(view->piecePos[4], kEntryColumn);
            EXPECT_EQ(BoardText(*view), before);
            box->buttons()[0]->click();
        });
    });
    window->PostMessage(kAboutCommand);
    Settle();
    // Settle's turns return once the box is gone.
    EXPECT_TRUE(checked);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(window->PulseRate(), kPulseRate);
    EXPECT_EQ(view->gameState, kRunning);
    // And the pulses come back.
    QDeadlineTimer guard(kWaitGuardMs);
    while (view->piecePos[5] == pieceRow && !guard.hasExpired())
        QTest::qWait(kPollMs);
    EXPECT_GT(view->piecePos[5], pieceRow);
}
