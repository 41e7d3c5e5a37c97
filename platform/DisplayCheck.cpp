#include "platform/DisplayCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// The program as it was started, quoted for a shell where it needs to be.
std::string AsTyped(const char* command) {
    const bool plain =
        *command != '\0' && std::strspn(command, "abcdefghijklmnopqrstuvwxyz"
                                                 "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                 "0123456789/._-+,:=@%") == std::strlen(command);
    if (plain)
        return command;
    std::string quoted = "'";
    for (const char* c = command; *c != '\0'; ++c)
        quoted += *c == '\'' ? std::string("'\\''") : std::string(1, *c);
    return quoted + "'";
}

[[noreturn]] void ExitForNoDisplay(const char* why) {
    std::fprintf(stderr,
                 "%s: %s; to play without a screen, run it under xvfb-run from the packages xvfb "
                 "and xauth (xvfb-run -a %s)\n",
                 program_invocation_short_name, why, AsTyped(program_invocation_name).c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

// Qt's Wayland platform plugins come in their own package, which a desktop with X11 may never
// have needed: a Wayland-only session without them would otherwise be told there is no display.
bool WaylandPluginInstalled() {
    QStringList folders;
    for (const QString& path : QCoreApplication::libraryPaths())
        folders << path + QLatin1String("/platforms");
    if (IsSet("QT_QPA_PLATFORM_PLUGIN_PATH"))
        folders << QString::fromLocal8Bit(std::getenv("QT_QPA_PLATFORM_PLUGIN_PATH"));
    for (const QString& folder : folders) {
        if (!QDir(folder).entryList({QStringLiteral("*wayland*")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}

bool WaylandAnswers() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return false;
    wl_display_disconnect(display);
    return true;
}

bool XAnswers() {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// The platforms Qt will try, in its order: those QT_QPA_PLATFORM lists, or else those the
// session names a display for.
QStringList PlatformsToTry() {
    QStringList platforms;
    if (IsSet("QT_QPA_PLATFORM")) {
        const QString list = QString::fromLocal8Bit(std::getenv("QT_QPA_PLATFORM"));
        for (const QString& entry : list.split(u';', Qt::SkipEmptyParts))
            platforms << entry.section(u':', 0, 0);
        return platforms;
    }
    if (IsSet("WAYLAND_DISPLAY"))
        platforms << QStringLiteral("wayland");
    if (IsSet("DISPLAY"))
        platforms << QStringLiteral("xcb");
    return platforms;
}

} // namespace

void ExitUnlessDisplayReachable() {
    const QStringList platforms = PlatformsToTry();
    if (platforms.isEmpty())
        ExitForNoDisplay("no display available (DISPLAY and WAYLAND_DISPLAY are unset)");
    bool waylandPluginMissing = false;
    bool xNamed = false;
    for (const QString& platform : platforms) {
        if (platform.startsWith(QLatin1String("wayland"))) {
            if (!WaylandPluginInstalled())
                waylandPluginMissing = true;
            else if (WaylandAnswers())
                return;
        } else if (platform == QLatin1String("xcb")) {
            xNamed = xNamed || IsSet("DISPLAY");
            if (XAnswers())
                return;
        } else {
            return; // offscreen, vnc, ...: nothing here to check
        }
    }
    if (waylandPluginMissing && !xNamed) {
        std::fprintf(stderr,
                     "%s: cannot open a window on Wayland (%s): Qt's Wayland platform plugin is "
                     "missing; install the package qt6-wayland (sudo apt install qt6-wayland)\n",
                     program_invocation_short_name,
                     IsSet("QT_QPA_PLATFORM") ? "QT_QPA_PLATFORM asks for it"
                                              : "WAYLAND_DISPLAY is set, DISPLAY is not");
        std::fflush(stderr);
        std::_Exit(1);
    }
    ExitForNoDisplay("cannot connect to the display named by DISPLAY or WAYLAND_DISPLAY");
}
