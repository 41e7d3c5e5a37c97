// One running copy per user session, as desktop applications do it: the first start owns the
// application id as a name on the session bus and answers org.freedesktop.Application there; a
// later start finds the name owned, calls Activate on its owner and gives up. The bus frees the
// name of a copy that ends, however it ends, and the object goes with the QObject.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class SingleLaunch : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    // appId is the desktop entry's id ("com.example.Game"); bus is normally the session bus.
    explicit SingleLaunch(const QString& appId,
                          const QDBusConnection& bus = QDBusConnection::sessionBus());

    enum class Outcome {
        First,       // this process owns the name; requests reach onActivate
        Forwarded,   // another copy owns it and was asked to come forward
        NoAnswer,    // another copy owns it but never answered
        NoBus,       // no session bus: this process runs on its own
        CannotServe, // the bus cannot take this process's object: it runs on its own
    };
    // platformData goes with the Activate call (see LauncherPlatformData). The owner may be
    // busy starting up, or gone between our request and our call: retried for up to
    // patienceMs.
    Outcome Claim(const QVariantMap& platformData, int patienceMs);

    // What the launcher gave this process to let its window take the focus, in the keys the
    // freedesktop interface names.
    static QVariantMap LauncherPlatformData();

    // On Wayland (platform is Qt's platform name), a start given only DESKTOP_STARTUP_ID takes
    // it as its activation token: GLib before 2.76 hands a Wayland launch's token only so.
    static void AdoptStartupId(const QString& platform);

    // Called on the GUI thread for each request from a later start, with the launcher's token
    // already in this process's environment, where Qt takes it from when a window asks to be
    // activated.
    std::function<void()> onActivate;

public Q_SLOTS:
    // org.freedesktop.Application's one method a later start calls; the game opens no
    // documents and has no actions, so it leaves out the interface's other two.
    void Activate(const QVariantMap& platform_data);

private:
    QDBusConnection bus_;
    QString name_;
    QString path_;
};
