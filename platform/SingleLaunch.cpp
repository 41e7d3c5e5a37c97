#include "platform/SingleLaunch.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <utility>

namespace {

constexpr int kRetryPauseMs = 50;

// Names the launcher's tokens by, in the platform data and in the environment.
constexpr std::pair<const char*, const char*> kTokens[] = {
    {"activation-token", "XDG_ACTIVATION_TOKEN"}, // Wayland
    {"desktop-startup-id", "DESKTOP_STARTUP_ID"}, // X11
};

} // namespace

SingleLaunch::SingleLaunch(const QString& appId, const QDBusConnection& bus)
    : bus_(bus), name_(appId),
      path_(QLatin1Char('/') + QString(appId).replace(QLatin1Char('.'), QLatin1Char('/'))) {}

SingleLaunch::Outcome SingleLaunch::Claim(const QVariantMap& platformData, int patienceMs) {
    if (!bus_.isConnected())
        return Outcome::NoBus;
    QDeadlineTimer deadline(patienceMs);
    for (;;) {
        // Never queued: of starts racing for the name exactly one gets it. One that calls
        // before the owner's object is there is answered with an error and calls again.
        if (bus_.registerService(name_)) {
            if (bus_.registerObject(path_, this, QDBusConnection::ExportAllSlots))
                return Outcome::First;
            // An owner that cannot answer would keep every later start waiting on it.
            bus_.unregisterService(name_);
            return Outcome::CannotServe;
        }
        QDBusMessage call = QDBusMessage::createMethodCall(
            name_, path_, QStringLiteral("org.freedesktop.Application"),
            QStringLiteral("Activate"));
        call << platformData;
        // Answered once the owner's event loop runs, which may take a while on a busy machine.
        const QDBusMessage reply =
            bus_.call(call, QDBus::Block, std::max(1, int(deadline.remainingTime())));
        if (reply.type() == QDBusMessage::ReplyMessage)
            return Outcome::Forwarded;
        // The owner went away since (the name is free again) or does not serve the interface
        // yet; a call that timed out has used up the patience.
        if (deadline.hasExpired())
            return Outcome::NoAnswer;
        QThread::msleep(kRetryPauseMs);
    }
}

QVariantMap SingleLaunch::LauncherPlatformData() {
    QVariantMap data;
    for (const auto& [key, variable] : kTokens)
        if (const QString value = qEnvironmentVariable(variable); !value.isEmpty())
            data.insert(QLatin1String(key), value);
    return data;
}

void SingleLaunch::AdoptStartupId(const QString& platform) {
    if (platform.startsWith(QLatin1String("wayland")) &&
        qEnvironmentVariableIsEmpty("XDG_ACTIVATION_TOKEN") &&
        !qEnvironmentVariableIsEmpty("DESKTOP_STARTUP_ID"))
        qputenv("XDG_ACTIVATION_TOKEN", qgetenv("DESKTOP_STARTUP_ID"));
}

void SingleLaunch::Activate(const QVariantMap& platform_data) {
    // A token is good for one activation: one left from an earlier request must not be offered
    // again.
    for (const auto& [key, variable] : kTokens) {
        const QString value = platform_data.value(QLatin1String(key)).toString();
        if (value.isEmpty())
            qunsetenv(variable);
        else
            qputenv(variable, value.toUtf8());
    }
    if (onActivate)
        onActivate();
}
