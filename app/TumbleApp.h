// The application object: its constructor builds the window.
#pragma once

#include "platform/Application.h"

class TumbleApp : public BApplication {
public:
    TumbleApp();
};
