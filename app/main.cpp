#include "game/TumbleView.h"
#include "platform/Application.h"
#include "platform/Window.h"

#include <QApplication>

int main() {
    BApplication app("application/x-vnd.Brightnook-Tumblegem");
    BWindow window(BRect(100, 100, 260, 520), "Tumblegem", B_TITLED_WINDOW,
                   B_NOT_RESIZABLE | B_NOT_ZOOMABLE);
    BRect frame = window.Bounds();
    frame.top = 20;
    auto* view = new TumbleView(frame);
    window.AddChild(view);
    window.Show();
    view->StartGame();
    window.SetPulseRate(0);
    QApplication::exec();
    return 0;
}
