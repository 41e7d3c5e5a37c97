#include "app/TumbleWindow.h"

#include "app/AboutText.h"
#include "app/Commands.h"
#include "game/Layout.h"
#include "game/TumbleView.h"
#include "platform/Alert.h"
#include "platform/Application.h"
#include "platform/Menu.h"

TumbleWindow::TumbleWindow()
    : BWindow(kWindowFrame, "Tumblegem", B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE,
              B_CURRENT_WORKSPACE) {
    SetPulseRate(0);

    menuBar_ = new BMenuBar(Bounds(), "menu_bar", B_FOLLOW_LEFT_RIGHT | B_FOLLOW_TOP,
                            B_ITEMS_IN_ROW, true);
    AddChild(menuBar_);

    auto* game = new BMenu("Game", B_ITEMS_IN_COLUMN);
    game->AddItem(new BMenuItem("New game", new BMessage(kNewGameCommand), 'N', 0));
    game->AddItem(new BMenuItem("End game", new BMessage(kEndGameCommand), 'E', 0));
    game->AddSeparatorItem();
    game->AddItem(new BMenuItem("Quit", new BMessage(kQuitCommand), 'Q', 0));
    menuBar_->AddItem(game);

    auto* help = new BMenu("Help", B_ITEMS_IN_COLUMN);
    help->AddItem(new BMenuItem("About", new BMessage(kAboutCommand), 'A', 0));
    menuBar_->AddItem(help);

    // The view sits here whatever height the menu bar takes.
    view_ = new TumbleView(kViewFrame);
    AddChild(view_);

    Show();
}

void TumbleWindow::MessageReceived(BMessage* message) {
    switch (message->what) {
    case kNewGameCommand:
        if (view_->gameState == kIdle)
            view_->StartGame();
        break;
    case kEndGameCommand:
        // Unlike Escape, this saves a better score and then closes the game.
        if (view_->gameState != kIdle)
            view_->EndGame();
        be_app->PostMessage(B_QUIT_REQUESTED);
        break;
    case kQuitCommand:
        // A round in progress is abandoned: its score is not saved.
        be_app->PostMessage(B_QUIT_REQUESTED);
        break;
    case kAboutCommand:
        ShowAbout();
        break;
    default:
        break;
    }
}

bool TumbleWindow::QuitRequested() {
    be_app->PostMessage(B_QUIT_REQUESTED);
    return true;
}

void TumbleWindow::ShowAbout() {
    char text[kAboutTextSize];
    FormatAboutText(text);
    auto* alert =
        new BAlert("About", text, "Cool", nullptr, nullptr, B_WIDTH_AS_USUAL, B_INFO_ALERT);
    alert->Go();
}
