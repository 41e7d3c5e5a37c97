#include "platform/DisplayCheck.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

namespace {

// The program as it was started, quoted for a shell where it needs to be.
QString AsTyped(const QString& command) {
    if (QRegularExpression(QStringLiteral("\\A[A-Za-z0-9/._+,:=@%-]+\\z"))
            .match(command)
            .hasMatch())
        return command;
    return "'" + QString(command).replace(u'\'', QLatin1String("'\\''")) + "'";
}

// What to tell a player whom Qt gave up on: the environment says which platforms it tried, and
// Qt's last word which platform plugins it has.
QString WhyAndWhatWouldWork(const QString& lastWord) {
    const QString chosen = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString wayland = qEnvironmentVariable("WAYLAND_DISPLAY");
    bool xAllowed = chosen.isEmpty();
    bool waylandWanted = chosen.isEmpty() && !wayland.isEmpty();
    for (const QString& entry : chosen.split(u';', Qt::SkipEmptyParts)) {
        const QString platform = entry.section(u':', 0, 0);
        xAllowed = xAllowed || platform == QLatin1String("xcb");
        waylandWanted = waylandWanted || platform.startsWith(QLatin1String("wayland"));
    }
    // Qt's Wayland platform plugins come in their own package, which a desktop with X11 may
    // never have needed.
    const bool waylandPlugin = lastWord.section(QLatin1String("Available platform plugins are:"), 1)
                                   .contains(QLatin1String("wayland"));
    if (waylandWanted && (display.isEmpty() || !xAllowed) && !waylandPlugin)
        return QStringLiteral("cannot open a window on Wayland (%1): Qt's Wayland platform plugin "
                              "is missing; install the package qt6-wayland (sudo apt install "
                              "qt6-wayland)")
            .arg(chosen.isEmpty() ? QStringLiteral("WAYLAND_DISPLAY is set, DISPLAY is not")
                                  : QStringLiteral("QT_QPA_PLATFORM asks for it"));
    QStringList named;
    if (!display.isEmpty())
        named << "DISPLAY (" + display + ")";
    if (waylandWanted && !wayland.isEmpty())
        named << "WAYLAND_DISPLAY (" + wayland + ")";
    QString why;
    if (!xAllowed && waylandWanted)
        why = "QT_QPA_PLATFORM=" + chosen + " allows only Wayland, and no compositor answers at " +
              (wayland.isEmpty() ? QStringLiteral("wayland-0 (WAYLAND_DISPLAY is unset)")
                                 : "WAYLAND_DISPLAY (" + wayland + ")");
    else if (!xAllowed)
        why = "QT_QPA_PLATFORM=" + chosen + " cannot open a window here";
    else if (!chosen.isEmpty() && !waylandWanted && display.isEmpty())
        why = QStringLiteral("QT_QPA_PLATFORM asks for X11, and DISPLAY is unset");
    else if (named.isEmpty())
        why = QStringLiteral("no display available (DISPLAY and WAYLAND_DISPLAY are unset)");
    else
        why = "cannot connect to the display named by " + named.join(QLatin1String(" or "));
    // xvfb-run brings an X display; it helps only where Qt may choose X11.
    return why +
           "; to play without a screen, run it under xvfb-run from the packages xvfb and xauth (" +
           (xAllowed ? "" : "QT_QPA_PLATFORM=xcb ") + "xvfb-run -a " +
           AsTyped(QString::fromLocal8Bit(program_invocation_name)) + ")";
}

// What Qt says while it starts is held back, each message as the call that says it later: a
// start without a display ends in Qt's fatal message, and what Qt said on the way there would
// only repeat our one line in its own words.
std::vector<std::function<void()>> gHeld;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name,
                     qPrintable(WhyAndWhatWouldWork(text)));
        std::_Exit(1);
    }
    gHeld.push_back([type, category = QByteArray(context.category), text] {
        qt_message_output(type, QMessageLogContext(nullptr, 0, nullptr, category.constData()),
                          text);
    });
}

} // namespace

std::unique_ptr<QApplication> MakeApplicationOrExit(int& argc, char** argv) {
    const QtMessageHandler previous = qInstallMessageHandler(HoldMessage);
    auto app = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    for (const auto& say : std::exchange(gHeld, {}))
        say();
    return app;
}
