// The game's window: its menus, the ways it quits and the About box. That keys and clicks reach
// the view after menus and boxes is tests/e2e/window_manager.sh's, under a real window manager.
#include "app/Commands.h"
#include "app/TumbleWindow.h"
#include "platform/Application.h"
#include "platform/TitleBar.h"
#include "tests/support/Fixture.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

class WindowTest : public ::testing::Test {
protected:
    // "Scores.data" beside the test executable, where the game keeps the best score.
    static std::string ScoreFile() {
        return QCoreApplication::applicationDirPath().toStdString() + "/Scores.data";
    }
    void SetUp() override {
        std::ofstream(ScoreFile()) << "50";
        app = std::make_unique<BApplication>(kSignature);
        window = new TumbleWindow();
        view = window->View();
        widget = window->Widget();
        Settle();
    }

    // A round under way with the best beaten, 60 against 50: New game does not restart it.
    void PlayBetterRound() {
        window->PostMessage(kNewGameCommand);
        Settle();
        view->score = 60;
        window->PostMessage(kNewGameCommand);
        Settle();
        ASSERT_TRUE(view->gameState == kRunning && view->score == 60);
    }

    static QToolButton* CloseButton(TitleBar* bar) { return Button(bar, "Close"); }
    static QToolButton* Button(TitleBar* bar, const char* tip) {
        for (QToolButton* b : bar->findChildren<QToolButton*>())
            if (b->toolTip() == QLatin1String(tip))
                return b;
        ADD_FAILURE() << "no " << tip << " button";
        return nullptr;
    }

    std::unique_ptr<BApplication> app;
    TumbleWindow* window = nullptr;
    TumbleView* view = nullptr;
    QPointer<QWidget> widget; // null once the window is gone
};

} // namespace

TEST_F(WindowTest, MenusCarryCtrlShortcutsAndTheWindowKeepsItsSize) {
    QString menus; // a separator is an item with neither text nor shortcut
    for (QAction* title : widget->findChild<QMenuBar*>()->actions()) {
        menus += title->text() + ":";
        for (QAction* item : title->menu()->actions())
            menus += " " + item->text() + " " + item->shortcut().toString() + ",";
    }
    EXPECT_EQ(menus.toStdString(),
              "Game: New game Ctrl+N, End game Ctrl+E,  , Quit Ctrl+Q,Help: About Ctrl+A,");
    EXPECT_EQ(widget->minimumSize(), QSize(161, 421));
    EXPECT_EQ(widget->maximumSize(), QSize(161, 421));
}

// Every way out closes the window and ends the run; only End game saves a better round.
TEST_F(WindowTest, EachWayOutSavesOnlyWhatEndGameWould) {
    const struct {
        const char* name;
        bool betterRound;
        uint32 command; // 0: the window's close button
        const char* saved;
        bool ownBar = false; // the close button of the kit's own title bar
    } cases[] = {
        {"End game while idle", false, kEndGameCommand, "50"},
        {"End game after a better round", true, kEndGameCommand, "60"},
        {"Quit", true, kQuitCommand, "50"},
        {"closing the window", true, 0, "50"},
        {"the close button of the kit's title bar", true, 0, "50", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (window == nullptr)
            SetUp();
        if (c.betterRound)
            PlayBetterRound();
        if (c.ownBar)
            CloseButton(new TitleBar(widget))->click();
        else
            c.command != 0 ? (void)window->PostMessage(c.command) : (void)widget->close();
        QTimer guard; // against a hang only: a working quit takes a few event-loop turns
        guard.callOnTimeout([&] { guard.stop(), app->Quit(); });
        guard.start(20000);
        app->Run();
        EXPECT_TRUE(guard.isActive() && widget.isNull()) << "did not quit";
        std::ostringstream saved;
        saved << std::ifstream(ScoreFile()).rdbuf();
        EXPECT_EQ(saved.str(), c.saved);
        app.reset();
        window = nullptr;
    }
}

// The bar the kit draws where the compositor draws none (tests/e2e/wayland_title_bar.sh sees
// it under weston): minimize works, and a double click does not maximize.
TEST_F(WindowTest, OwnTitleBarMinimizesAndNeverMaximizes) {
    auto* bar = new TitleBar(widget);
    bar->show();
    QTest::mouseDClick(bar, Qt::LeftButton, {}, QPoint(20, bar->height() / 2));
    Settle();
    EXPECT_FALSE(widget->isMaximized());
    EXPECT_EQ(bar->findChildren<QToolButton*>().size(), 2);
    // A line parts the bar from the menu bar under it.
    const QImage face = bar->grab().toImage();
    QImage line(face.width(), 1, face.format());
    line.fill(bar->palette().mid().color());
    EXPECT_TRUE(face.copy(0, face.height() - 1, face.width(), 1) == line);
    Button(bar, "Minimize")->click();
    Settle();
    EXPECT_TRUE(widget->isMinimized());
}

// The box's text is the program's own in every locale (app_tests_german runs this test), and
// the round waits under it.
TEST_F(WindowTest, AboutBoxHoldsTheRoundUntilCoolIsPressed) {
    PlayBetterRound();
    const int8 pieceRow = view->piecePos[5];
    std::string seen;
    // Inside the box's event loop, longer than a pulse interval after it opened.
    QTimer::singleShot(2 * kPulseRate / 1000, widget, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = (box->windowTitle() + " | " + box->text() + " | " + box->buttons()[0]->text())
                   .toStdString();
        EXPECT_EQ(view->piecePos[5], pieceRow);
        box->buttons()[0]->click();
    });
    window->PostMessage(kAboutCommand);
    Settle(); // returns once the box is gone
    EXPECT_EQ(seen, "About | Tumblegem v1.10: a falling-gem puzzle by Brightnook. | Cool");
    // And the pulses come back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->piecePos[5] > pieceRow; }, 10000));
}
