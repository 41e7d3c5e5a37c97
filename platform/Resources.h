// What an executable says about itself: its signature, launch mode, version and icons.
// The game's executable registers its record before main; a program that registers none (a
// test) launches as often as it is started and keeps Qt's defaults.
#pragma once

#include "platform/Types.h"

// Launch modes: one running copy per user, or (any other mode) as many as are started.
constexpr uint32 B_SINGLE_LAUNCH = 0x0;
constexpr uint32 B_LAUNCH_MASK = 0x3;

struct version_info {
    uint32 major;
    uint32 middle;
    uint32 minor;
    const char* short_info;
};

struct AppResources {
    const char* signature;
    uint32 appFlags;
    version_info version;
    // The desktop entry's name without ".desktop"; also the icon theme's name for the icons.
    const char* desktopId;
    // Qt resource paths of the window icon as PNG at its sizes, ending with nullptr.
    const char* const* iconFiles;
};

// Keeps the pointer for the application to read; the record must live as long as the program.
// Returns true, so that a namespace-scope initializer can call it.
bool RegisterAppResources(const AppResources* resources);
