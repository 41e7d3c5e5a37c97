#include "platform/DisplayCheck.h"

#include <QString>
#include <QtGlobal>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

QtMessageHandler gPreviousHandler = nullptr;
bool gDisplayUnreachable = false;

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

[[noreturn]] void ExitForNoDisplay(const char* why) {
    std::fprintf(stderr,
                 "%s: %s; to play without a screen, run it under xvfb-run "
                 "(xvfb-run -a scripts/play.sh)\n",
                 program_invocation_short_name, why);
    std::fflush(stderr);
    std::_Exit(1);
}

bool MentionsUnreachableDisplay(const QString& text) {
    return text.contains(QLatin1String("could not connect to display")) ||
           text.contains(QLatin1String("Failed to create wl_display"));
}

void CatchDisplayFailure(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (MentionsUnreachableDisplay(text)) {
        gDisplayUnreachable = true;
        return;
    }
    if (type == QtFatalMsg && gDisplayUnreachable)
        ExitForNoDisplay("cannot connect to the display named by DISPLAY or WAYLAND_DISPLAY");
    if (gPreviousHandler != nullptr)
        gPreviousHandler(type, context, text);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

void ExitUnlessDisplayConfigured() {
    // A platform chosen by hand (offscreen, vnc, ...) may need no display at all.
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"))
        return;
    ExitForNoDisplay("no display available (DISPLAY and WAYLAND_DISPLAY are unset)");
}

DisplayFailureGuard::DisplayFailureGuard() {
    gDisplayUnreachable = false;
    gPreviousHandler = qInstallMessageHandler(CatchDisplayFailure);
}

DisplayFailureGuard::~DisplayFailureGuard() {
    qInstallMessageHandler(gPreviousHandler);
}
