#include "app/TumbleApp.h"

int main() {
    auto* app = new TumbleApp();
    app->Run();
    delete app;
    return 0;
}
