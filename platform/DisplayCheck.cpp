#include "platform/DisplayCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct HeldMessage {
    QtMsgType type;
    QString text;
};

QtMessageHandler gPreviousHandler = nullptr;
bool gDisplayUnreachable = false;
// Qt's complaints while it starts are held back: when the display turns out to be
// unreachable, the one line below replaces all of them.
std::vector<HeldMessage> gHeld;

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

// Whether Qt can take no other way than Wayland: asked for it by name, or a session that
// names only a Wayland display.
bool OnlyWaylandWillDo() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') {
        const QString list = QString::fromLocal8Bit(platform);
        return list.startsWith(QLatin1String("wayland")) &&
               !(list.contains(QLatin1String("xcb")) && IsSet("DISPLAY"));
    }
    return IsSet("WAYLAND_DISPLAY") && !IsSet("DISPLAY");
}

bool MentionsUnreachableDisplay(const QString& text) {
    return text.contains(QLatin1String("could not connect to display")) ||
           text.contains(QLatin1String("Failed to create wl_display"));
}

void Pass(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (gPreviousHandler != nullptr)
        gPreviousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

void ReleaseHeld() {
    const QMessageLogContext context;
    for (const HeldMessage& message : gHeld)
        Pass(message.type, context, message.text);
    gHeld.clear();
}

void CatchDisplayFailure(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (MentionsUnreachableDisplay(text))
        gDisplayUnreachable = true;
    if (type != QtFatalMsg) {
        gHeld.push_back({type, text});
        return;
    }
    if (gDisplayUnreachable)
        ExitForNoDisplay("cannot connect to the display named by DISPLAY or WAYLAND_DISPLAY");
    ReleaseHeld();
    Pass(type, context, text);
}

} // namespace

void ExitUnlessDisplayConfigured() {
    // A platform chosen by hand (offscreen, vnc, ...) may need no display at all.
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"))
        return;
    ExitForNoDisplay("no display available (DISPLAY and WAYLAND_DISPLAY are unset)");
}

void ExitUnlessWaylandPluginInstalled() {
    if (!OnlyWaylandWillDo() || WaylandPluginInstalled())
        return;
    std::fprintf(stderr,
                 "%s: cannot open a window on Wayland (%s): Qt's Wayland platform plugin is "
                 "missing; install the package qt6-wayland (sudo apt install qt6-wayland)\n",
                 program_invocation_short_name,
                 IsSet("QT_QPA_PLATFORM") ? "QT_QPA_PLATFORM asks for it"
                                          : "WAYLAND_DISPLAY is set, DISPLAY is not");
    std::fflush(stderr);
    std::_Exit(1);
}

DisplayFailureGuard::DisplayFailureGuard() {
    gDisplayUnreachable = false;
    gHeld.clear();
    gPreviousHandler = qInstallMessageHandler(CatchDisplayFailure);
}

DisplayFailureGuard::~DisplayFailureGuard() {
    qInstallMessageHandler(gPreviousHandler);
    ReleaseHeld();
}
