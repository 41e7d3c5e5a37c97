// Starting without a screen ends with one line that says so, not with Qt's abort.
#pragma once

// Before the QApplication exists: exits with status 1 when no display is configured at all.
void ExitUnlessDisplayConfigured();

// Before the QApplication exists: exits with status 1, naming the package to install, when
// the session leaves Qt only Wayland and Qt's Wayland platform plugin is not installed.
void ExitUnlessWaylandPluginInstalled();

// While alive, a display that is configured but cannot be reached ends the program the same
// way instead of in Qt's fatal error. Lives across the QApplication's construction.
class DisplayFailureGuard {
public:
    DisplayFailureGuard();
    ~DisplayFailureGuard();
    DisplayFailureGuard(const DisplayFailureGuard&) = delete;
    DisplayFailureGuard& operator=(const DisplayFailureGuard&) = delete;
};
