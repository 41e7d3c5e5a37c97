// The game's window: its layout, menus, commands and the ways it quits.
#include "app/AboutText.h"
#include "app/Commands.h"
#include "app/TumbleWindow.h"
#include "game/TumbleView.h"
#include "tests/AppTestSupport.h"
#include "tests/GameTest.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <functional>
#include <memory>

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

// "Title: item shortcut, -, ..." per menu; "-" for a separator, "(off)" after a disabled item.
std::vector<std::string> DescribeMenus(QWidget* window) {
    std::vector<std::string> menus;
    for (QAction* title : window->findChild<QMenuBar*>()->actions()) {
        std::string menu = title->text().toStdString() + ":";
        for (QAction* item : title->menu()->actions())
            menu += item->isSeparator() ? " -,"
                                        : " " + item->text().toStdString() + " " +
                                              item->shortcut().toString().toStdString() +
                                              (item->isEnabled() ? "," : " (off),");
        menus.push_back(menu);
    }
    return menus;
}

} // namespace

TEST_F(WindowTest, SitsAtItsFrameWithTheBarOnTopAndTheViewUnderIt) {
    EXPECT_EQ(windowWidget->windowTitle(), QStringLiteral("Tumblegem"));
    // Placement on screen is up to the platform (the offscreen one adds a frame margin).
    EXPECT_EQ(window->Frame().left, 100);
    EXPECT_EQ(window->Frame().top, 100);
    EXPECT_EQ(windowWidget->size(), QSize(161, 421));
    // Not resizable: the smallest and largest sizes are the content size.
    EXPECT_EQ(windowWidget->minimumSize(), windowWidget->maximumSize());
    EXPECT_EQ(windowWidget->findChild<QMenuBar*>()->geometry(), QRect(0, 0, 161, 20));
    EXPECT_EQ(view->Widget()->geometry(), QRect(0, 20, 161, 401));
    EXPECT_EQ(windowWidget->focusWidget(), view->Widget());
    EXPECT_EQ(window->PulseRate(), 0);
}

TEST_F(WindowTest, MenusListTheirItemsInOrderWithCtrlShortcuts) {
    EXPECT_EQ(DescribeMenus(windowWidget),
              (std::vector<std::string>{
                  "Game: New game Ctrl+N, End game Ctrl+E, -, Quit Ctrl+Q,",
                  "Help: About Ctrl+A,",
              }));
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

// Every way out closes the window and ends the run; only End game saves a better round.
TEST_F(WindowTest, EachWayOutSavesOnlyWhatEndGameWould) {
    const struct {
        const char* what;
        bool betterRound;
        std::function<void(TumbleWindow*)> leave;
        const char* saved;
    } cases[] = {
        {"End game while idle", false, [](TumbleWindow* w) { w->PostMessage(kEndGameCommand); },
         "50"},
        {"End game after a better round", true,
         [](TumbleWindow* w) { w->PostMessage(kEndGameCommand); }, "60"},
        {"Quit", true, [](TumbleWindow* w) { w->PostMessage(kQuitCommand); }, "50"},
        {"closing the window", true, [](TumbleWindow* w) { w->Widget()->close(); }, "50"},
        {"Ctrl+Q", true,
         [](TumbleWindow* w) {
             ASSERT_TRUE(QTest::qWaitForWindowActive(w->Widget()));
             ClickKey(w->Widget()->windowHandle(), Qt::Key_Q, Qt::ControlModifier);
         },
         "50"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (window == nullptr)
            SetUp();
        if (c.betterRound)
            PlayBetterRound();
        c.leave(window);
        EXPECT_TRUE(RunUntilQuit(*app));
        EXPECT_TRUE(windowWidget.isNull());
        EXPECT_EQ(app->CountWindows(), 0);
        EXPECT_EQ(ReadScoreFile(), c.saved);
        TearDown();
        window = nullptr;
    }
}

TEST_F(WindowTest, NewGameDuringARoundAndUnknownMessagesChangeNothing) {
    PlayBetterRound();
    SetBoard(*view, "..1....\n"
                    "..23...");
    for (uint32 what : {kNewGameCommand, FourCharCode("GMxx"), FourCharCode("_QRX")})
        window->PostMessage(what);
    Settle();
    EXPECT_FALSE(windowWidget->isHidden());
    EXPECT_EQ(view->gameState, kRunning);
    EXPECT_EQ(view->score, 60);
    EXPECT_EQ(CountGems(*view), 3);
}

TEST_F(WindowTest, AboutBoxHoldsTheRoundUntilCoolIsPressed) {
    PlayBetterRound();
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowWidget));
    const std::string before = BoardText(*view);
    const int8 pieceRow = view->piecePos[5];
    bool checked = false;
    QTimer poll; // runs inside the alert's event loop
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || checked)
            return;
        checked = true;
        char expected[kAboutTextSize];
        std::memset(expected, 'x', sizeof expected);
        const int needed = FormatAboutText(expected);
        EXPECT_LT(needed, static_cast<int>(kAboutTextSize)) << "fits its buffer";
        EXPECT_EQ(std::strlen(expected), static_cast<size_t>(needed));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("About"));
        EXPECT_EQ(box->text().toStdString(), expected);
        EXPECT_TRUE(box->text().startsWith("Tumblegem v1.10: ")) << expected;
        EXPECT_GT(needed, 17) << "a credit line follows";
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
    poll.start(kPollMs);
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

// Alt is pressed on every Alt+Tab, and menus close in many ways: none may leave the bar
// holding the keyboard.
TEST_F(WindowTest, GameKeysReachTheViewWheneverNoMenuIsOpen) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(windowWidget));
    QWindow* handle = windowWidget->windowHandle();
    auto* bar = windowWidget->findChild<QMenuBar*>();
    const auto openGameMenu = [bar] {
        QAction* title = bar->actions()[0];
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(title).center());
        EXPECT_EQ(QApplication::activePopupWidget(), title->menu());
        return title->menu();
    };
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"New game chosen from a menu", // starts the round the other cases play in
         [&] {
             QMenu* menu = openGameMenu();
             const QPoint item = menu->actionGeometry(menu->actions()[0]).center();
             QTest::mouseMove(menu, item);
             QTest::mouseClick(menu, Qt::LeftButton, {}, item);
         }},
        {"Alt tapped",
         [&] {
             QTest::keyPress(handle, Qt::Key_Alt, Qt::AltModifier);
             QTest::keyRelease(handle, Qt::Key_Alt);
         }},
        {"a menu closed by Escape",
         [&] {
             openGameMenu();
             QTest::keyClick(handle, Qt::Key_Escape);
         }},
        {"a menu closed by a click outside it",
         [&] { QTest::mouseClick(openGameMenu(), Qt::LeftButton, {}, QPoint(-20, -20)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        view->MakeFocus(true); // each case on its own
        c.act();
        Settle();
        window->SetPulseRate(0); // the piece stays up, in the column the keys give it
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(windowWidget->focusWidget(), view->Widget());
        const int column = view->piecePos[0];
        QTest::keyClick(handle, Qt::Key_Left);
        EXPECT_EQ(view->piecePos[0], column - 1);
        QTest::keyClick(handle, Qt::Key_Right);
        EXPECT_EQ(view->piecePos[0], column);
    }
}
