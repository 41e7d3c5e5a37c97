#include "app/TumbleApp.h"

#include "app/Commands.h"
#include "app/TumbleWindow.h"

TumbleApp::TumbleApp() : BApplication(kSignature) {
    // The window shows itself; the application owns it until it quits.
    new TumbleWindow();
}
