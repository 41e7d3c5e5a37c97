// The application kit's message queue, and the launcher's token handed over on a session bus of
// the test's own. Many starts at once, a game killed outright, no bus, another user and the real
// window coming forward are tests/e2e/single_launch.sh's and window_manager.sh's.
#include "platform/Application.h"
#include "platform/SingleLaunch.h"
#include "tests/support/Fixture.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using Outcome = SingleLaunch::Outcome;
const QString appId = QStringLiteral("com.brightnook.KitTest");

// A session bus daemon of the test's own, gone with it.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address")});
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(30000)) {
        }
        address_ = QString::fromUtf8(daemon_.readLine().trimmed());
    }
    ~PrivateBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished();
    }
    bool Up() const { return !address_.isEmpty(); }
    // A connection of its own, as another process would have.
    QDBusConnection Connect(const QString& name) {
        names_.push_back(name);
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    std::vector<QString> names_;
};

// Claims in a thread of its own, as a later start does in its own process: the owner answers
// from this thread's event loop, which runs meanwhile.
Outcome ClaimBeside(SingleLaunch& launch, const QVariantMap& platformData) {
    std::atomic<bool> done = false;
    Outcome outcome = Outcome::NoBus;
    std::thread claim([&] {
        outcome = launch.Claim(platformData, 30000);
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 60000));
    claim.join();
    return outcome;
}

class RecordingWindow : public BWindow {
public:
    RecordingWindow() : BWindow(BRect(0, 0, 99, 99), "recording", B_TITLED_WINDOW, 0) {}
    void MessageReceived(BMessage* message) override {
        received.push_back(message->what);
        if (message->what == 1)
            PostMessage(4); // handled after what was queued before it
    }
    std::vector<uint32> received;
};

} // namespace

TEST(Looper, DeliversMessagesInOrder) {
    BApplication app("application/x-vnd.Brightnook-KitTest");
    auto* window = new RecordingWindow();
    for (uint32 what : {1u, 2u, 3u})
        window->PostMessage(what);
    EXPECT_TRUE(window->received.empty()); // queued, not called
    Settle();
    EXPECT_EQ(window->received, (std::vector<uint32>{1, 2, 3, 4}));
}

// A Wayland start given only an X11-style startup id (GLib before 2.76 launches so) takes it as
// its token, for its own window and for the one it hands over to; X11 and a real token stay.
TEST(SingleLaunch, WaylandStartTakesTheStartupIdAsItsToken) {
    const struct {
        const char* platform;
        QByteArray token, startupId; // in the environment, empty for unset
        const char* handedOver;
    } starts[] = {
        {"wayland", "", "gnome-1", "activation-token=gnome-1 desktop-startup-id=gnome-1"},
        {"wayland-egl", "", "gnome-2", "activation-token=gnome-2 desktop-startup-id=gnome-2"},
        {"wayland", "wl-3", "gnome-3", "activation-token=wl-3 desktop-startup-id=gnome-3"},
        {"xcb", "", "x_TIME4", "desktop-startup-id=x_TIME4"},
        {"wayland", "", "", ""},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(std::string(start.platform) + " " + start.startupId.toStdString());
        for (const auto& [name, value] : {std::pair{"XDG_ACTIVATION_TOKEN", start.token},
                                          std::pair{"DESKTOP_STARTUP_ID", start.startupId}}) {
            if (value.isEmpty())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
        SingleLaunch::AdoptStartupId(QString::fromLatin1(start.platform));
        const QVariantMap data = SingleLaunch::LauncherPlatformData();
        QStringList pairs;
        for (auto i = data.begin(); i != data.end(); ++i)
            pairs << i.key() + QLatin1Char('=') + i.value().toString();
        EXPECT_EQ(pairs.join(QLatin1Char(' ')).toStdString(), start.handedOver);
    }
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
}

// Each later start hands over to the first, with what its launcher gave it to take the focus;
// the first puts that where Qt looks for it as the window is activated, and leaves no stale
// token behind for a start that brought none.
TEST(SingleLaunch, LaterStartsHandTheirTokenToTheFirst) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Up());
    SingleLaunch first(appId, bus.Connect(QStringLiteral("first")));
    std::vector<std::pair<QByteArray, QByteArray>> seen; // Wayland's token, X11's startup id
    first.onActivate = [&] {
        seen.emplace_back(qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID"));
    };
    qunsetenv("XDG_ACTIVATION_TOKEN");
    qunsetenv("DESKTOP_STARTUP_ID");
    ASSERT_EQ(first.Claim({}, 0), Outcome::First);
    const struct {
        QVariantMap platformData;
        QByteArray token, startupId;
    } starts[] = {
        {{{QStringLiteral("activation-token"), QStringLiteral("wl-1")}}, "wl-1", ""},
        {{{QStringLiteral("desktop-startup-id"), QStringLiteral("x_TIME42")}}, "", "x_TIME42"},
        {{}, "", ""},
    };
    int n = 0;
    for (const auto& start : starts) {
        SingleLaunch later(appId, bus.Connect(QStringLiteral("later%1").arg(++n)));
        EXPECT_EQ(ClaimBeside(later, start.platformData), Outcome::Forwarded) << n;
        ASSERT_EQ(seen.size(), size_t(n));
        EXPECT_EQ(seen.back(), std::make_pair(start.token, start.startupId)) << n;
    }
}

// The path the game answers at may already be taken on a start's connection. A later start
// needs no object of its own to hand over; a first one that cannot answer lets go of the name,
// so later starts do not wait on it for nothing.
TEST(SingleLaunch, AStartWhosePathIsTakenStillEndsWithOneGameOrSaysSo) {
    PrivateBus bus;
    ASSERT_TRUE(bus.Up());
    QObject squatter;
    const QString path = QStringLiteral("/com/brightnook/KitTest");

    QDBusConnection blocked = bus.Connect(QStringLiteral("blocked"));
    ASSERT_TRUE(blocked.registerObject(path, &squatter));
    SingleLaunch unserved(appId, blocked);
    EXPECT_EQ(unserved.Claim({}, 0), Outcome::CannotServe);
    EXPECT_FALSE(blocked.interface()->isServiceRegistered(appId).value());

    SingleLaunch first(appId, bus.Connect(QStringLiteral("first")));
    int activations = 0;
    first.onActivate = [&] { ++activations; };
    ASSERT_EQ(first.Claim({}, 0), Outcome::First);

    QDBusConnection crowded = bus.Connect(QStringLiteral("crowded"));
    ASSERT_TRUE(crowded.registerObject(path, &squatter));
    SingleLaunch later(appId, crowded);
    EXPECT_EQ(ClaimBeside(later, {}), Outcome::Forwarded);
    EXPECT_EQ(activations, 1);
}
