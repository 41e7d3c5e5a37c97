// The game's one window: the menu bar and the view that holds the game.
#pragma once

#include "platform/Window.h"

class BMenuBar;
class TumbleView;

class TumbleWindow : public BWindow {
public:
    TumbleWindow();

    void MessageReceived(BMessage* message) override;
    bool QuitRequested() override;

    TumbleView* View() const { return view_; }
    BMenuBar* MenuBar() const { return menuBar_; }

private:
    void ShowAbout();

    TumbleView* view_ = nullptr;
    BMenuBar* menuBar_ = nullptr;
};
