#include "game/TumbleView.h"

#include <cstdlib>
#include <ctime>

TumbleView::TumbleView(BRect frame)
    : BView(frame, "TumbleView", B_FOLLOW_ALL_SIDES, B_WILL_DRAW | B_PULSE_NEEDED) {
    srand(static_cast<unsigned>(time(nullptr)));
    LoadHighScore();
}
