#include "game/TumbleView.h"

#include "platform/Window.h"

void TumbleView::AttachedToWindow() {
    MakeFocus(true);
}

void TumbleView::Pulse() {
    // A pulse already on its way when the game was paused still ticks.
    if (gameState != kIdle && busy == 0)
        DropSome();
}

void TumbleView::KeyDown(const char* bytes, int32 numBytes) {
    if (gameState == kIdle || numBytes != 1)
        return;
    const bool running = gameState == kRunning;
    switch (static_cast<signed char>(bytes[0])) {
    case B_ENTER:
        if (gameState == kPaused) {
            if (BWindow* window = Window())
                window->SetPulseRate(kPulseRate);
            gameState = kRunning;
        } else {
            if (BWindow* window = Window())
                window->SetPulseRate(0);
            gameState = kPaused;
        }
        break;
    case B_ESCAPE:
        EndGame();
        break;
    case B_LEFT_ARROW:
        if (running)
            MoveLeft();
        break;
    case B_RIGHT_ARROW:
        if (running)
            MoveRight();
        break;
    case B_UP_ARROW:
        if (running)
            Rotate();
        break;
    case B_DOWN_ARROW:
        if (running && busy == 0)
            DropSome();
        break;
    default:
        break;
    }
}
