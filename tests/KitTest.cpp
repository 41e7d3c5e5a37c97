// The application kit's message queues and single launch.
#include "app/Commands.h"
#include "app/TumbleWindow.h"
#include "game/TumbleView.h"
#include "platform/Application.h"
#include "platform/SingleLaunch.h"
#include "platform/Window.h"
#include "tests/AppTestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <grp.h>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kWaitGuardMs = 10000; // hang guard only
constexpr int kPollMs = 10;

class RecordingWindow : public BWindow {
public:
    RecordingWindow()
        : BWindow(BRect(0, 0, 99, 99), "recording", B_TITLED_WINDOW, B_NOT_RESIZABLE) {}
    void MessageReceived(BMessage* message) override {
        received.push_back(message->what);
        if (message->what == 1)
            PostMessage(4); // handled after what was queued before it
        if (message->what == 2) {
            // A nested event loop must not hand this window its next message.
            QTimer::singleShot(0, [this] { nestedSaw = received.size(); });
            QTest::qWait(kPollMs);
        }
    }
    std::vector<uint32> received;
    size_t nestedSaw = 0;
};

const QString key = QStringLiteral("application/x-vnd.Brightnook-KitTest");

bool WaitFor(const std::function<bool()>& condition) {
    QDeadlineTimer guard(kWaitGuardMs);
    while (!condition() && !guard.hasExpired())
        QTest::qWait(kPollMs);
    return condition();
}

constexpr uid_t kOtherUser = 65534;

// Sets (or with no value, unsets) an environment variable for the life of the object.
struct ScopedEnv {
    ScopedEnv(const char* name, const std::optional<QString>& value)
        : name(name), old(qgetenv(name)), had(qEnvironmentVariableIsSet(name)) {
        value ? qputenv(name, QFile::encodeName(*value)) : qunsetenv(name);
    }
    ~ScopedEnv() { had ? qputenv(name, old) : qunsetenv(name); }
    const char* name;
    QByteArray old;
    bool had;
};

int OpenDescriptors() {
    return static_cast<int>(QDir(QStringLiteral("/proc/self/fd"))
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size());
}

// Connects to the socket at path kFloodAttempts times, as fast as its queue lets it, as
// another user if foreign. Half the connections say "activate", half stay silent; all are
// held open until the child is killed. Writes to report how many got through.
constexpr int kFloodAttempts = 10000;
pid_t StartFlood(const QString& path, bool foreign, int report) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(),
                std::min<size_t>(name.size(), sizeof address.sun_path - 1));
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    rlimit all{};
    getrlimit(RLIMIT_NOFILE, &all);
    all.rlim_cur = all.rlim_max;
    setrlimit(RLIMIT_NOFILE, &all);
    if (foreign && (setgroups(0, nullptr) != 0 || setresgid(kOtherUser, kOtherUser, kOtherUser) ||
                    setresuid(kOtherUser, kOtherUser, kOtherUser) != 0))
        _exit(126);
    int connected = 0;
    for (int i = 0; i < kFloodAttempts; ++i) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        int rc = -1;
        for (int tries = 0; tries < 3; ++tries) {
            rc = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            if (rc == 0 || errno != EAGAIN)
                break;
            usleep(100); // the queue is full; the game may be emptying it
        }
        if (rc != 0)
            close(fd);
        else if (++connected % 2 == 0)
            (void)!write(fd, "activate\n", 9);
    }
    (void)!write(report, &connected, sizeof connected);
    for (;;)
        pause();
}

} // namespace

TEST(Looper, DeliversMessagesInOrderOneAtATime) {
    BApplication app("application/x-vnd.Brightnook-KitTest");
    auto* window = new RecordingWindow();
    for (uint32 what : {1u, 2u, 3u})
        window->PostMessage(what);
    EXPECT_TRUE(window->received.empty()); // queued, not called
    Settle();
    EXPECT_EQ(window->received, (std::vector<uint32>{1, 2, 3, 4}));
    EXPECT_EQ(window->nestedSaw, 2u);
}

TEST(SingleLaunch, SecondStartAsksTheFirstToComeForward) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    int activations = 0;
    {
        SingleLaunch first(key, folder.path());
        first.onActivate = [&] { ++activations; };
        ASSERT_EQ(first.Claim(0), SingleLaunch::Outcome::First);
        SingleLaunch second(key, folder.path());
        EXPECT_EQ(second.Claim(0), SingleLaunch::Outcome::Forwarded);
        EXPECT_TRUE(WaitFor([&] { return activations == 1; }));
        // Another folder is another session: it starts on its own.
        QTemporaryDir elsewhere;
        SingleLaunch other(key, elsewhere.path());
        EXPECT_EQ(other.Claim(0), SingleLaunch::Outcome::First);
    }
    SingleLaunch afterwards(key, folder.path());
    EXPECT_EQ(afterwards.Claim(0), SingleLaunch::Outcome::First);
}

TEST(SingleLaunch, LockIsTakenOverOnlyWhenNobodyHoldsIt) {
    QTemporaryDir folder;
    constexpr int kShortPatienceMs = 100;
    const QString path = SingleLaunch(key, folder.path()).LockPath();
    {
        // Held, but by a copy that never answers: the lock stays its own.
        QLockFile held(path);
        ASSERT_TRUE(held.tryLock(0));
        SingleLaunch next(key, folder.path());
        EXPECT_EQ(next.Claim(kShortPatienceMs), SingleLaunch::Outcome::NoAnswer);
        EXPECT_TRUE(held.isLocked());
        EXPECT_TRUE(QFile::exists(path));
    }
    // Left by a process that is gone (none has this id), or empty by a writer that died.
    for (const QByteArray& text :
         {"999999999\nTumblegem\n" + QSysInfo::machineHostName().toUtf8() + "\n", QByteArray()}) {
        QFile lock(path);
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write(text);
        lock.close();
        SingleLaunch next(key, folder.path());
        EXPECT_EQ(next.Claim(kShortPatienceMs), SingleLaunch::Outcome::First) << text.size();
    }
}

TEST(SingleLaunch, LockLivesOnlyInAFolderNoOtherUserCanEnter) {
    if (geteuid() != 0)
        GTEST_SKIP() << "making a folder of another user's needs root";
    const QString readOnly = QStringLiteral("/proc/self/fd"); // ours, closed, unwritable
    // Makes a folder of the given kind at path; returns what names it, if anything.
    const auto make = [&](const QString& path, const std::string& kind) -> std::optional<QString> {
        const QByteArray name = QFile::encodeName(path);
        if (kind == "unset")
            return std::nullopt;
        if (kind == "read-only")
            return readOnly;
        if (kind == "link" && mkdir(name + ".real", 0700) == 0)
            (void)!symlink(name + ".real", name);
        if (kind == "private" || kind == "shared" || kind == "foreign")
            mkdir(name, 0700);
        if (kind == "shared")
            chmod(name, 0755);
        if (kind == "foreign")
            (void)!chown(name, kOtherUser, kOtherUser);
        return path;
    };
    const struct {
        const char* runtime; // the runtime folder
        const char* cache;   // <cache folder>/<program>; unset or read-only: the cache folder
        const char* lockIn;  // "P" for the program; null for nowhere
    } cases[] = {
        {"private", "missing", "run"},       {"unset", "missing", "cache/P"},
        {"missing", "missing", "cache/P"},   {"shared", "missing", "cache/P"},
        {"foreign", "missing", "cache/P"},   {"link", "missing", "cache/P"},
        {"read-only", "private", "cache/P"}, {"read-only", "unset", "home/.cache/P"},
        {"read-only", "foreign", nullptr},   {"shared", "shared", nullptr},
        {"unset", "link", nullptr},          {"missing", "read-only", nullptr},
    };
    QTemporaryDir base;
    const QString program = QCoreApplication::applicationName().toLower();
    int row = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.runtime) + " runtime folder, cache " + c.cache);
        const QString folder = base.filePath(QString::number(row++));
        for (const char* sub : {"", "/cache", "/home"})
            ASSERT_EQ(mkdir(QFile::encodeName(folder + sub), 0700), 0);
        const ScopedEnv runtime("XDG_RUNTIME_DIR", make(folder + "/run", c.runtime));
        std::optional<QString> cache = make(folder + "/cache/" + program, c.cache);
        if (cache && *cache != readOnly)
            cache = folder + "/cache";
        const ScopedEnv cacheHome("XDG_CACHE_HOME", cache);
        const ScopedEnv home("HOME", folder + "/home");

        SingleLaunch::Outcome outcome = SingleLaunch::Outcome::First;
        const std::unique_ptr<SingleLaunch> launch = ClaimSingleLaunch(key, kWaitGuardMs, &outcome);
        if (c.lockIn == nullptr) {
            // Runs on its own at once, without single launch, and says nothing.
            EXPECT_EQ(launch, nullptr);
            EXPECT_EQ(outcome, SingleLaunch::Outcome::Unusable);
            continue;
        }
        ASSERT_NE(launch, nullptr);
        EXPECT_EQ(outcome, SingleLaunch::Outcome::First);
        const QString expected = folder + "/" + QString(c.lockIn).replace("P", program);
        EXPECT_EQ(QFileInfo(launch->LockPath()).path(), expected);
        struct stat info {};
        EXPECT_TRUE(lstat(QFile::encodeName(expected), &info) == 0 && S_ISDIR(info.st_mode) &&
                    info.st_uid == geteuid() && (info.st_mode & 07777) == 0700);
    }
}

// Connections by the thousand cost the game a handful of descriptors, keep neither its round
// nor its save from going on, and another user's reach nothing at all.
TEST(SingleLaunch, AFloodOfConnectionsStarvesNothing) {
    if (geteuid() != 0)
        GTEST_SKIP() << "acting as another user needs root";
    // A desktop session's usual limit; the test runner's may be far higher.
    constexpr rlim_t kDesktopFileLimit = 1024;
    constexpr int kHandful = 7; // four connections served at once, up to three queued by Qt
    rlimit saved{};
    getrlimit(RLIMIT_NOFILE, &saved);
    const rlimit desktop{std::min(kDesktopFileLimit, saved.rlim_max), saved.rlim_max};
    setrlimit(RLIMIT_NOFILE, &desktop);
    for (const bool foreign : {false, true}) {
        SCOPED_TRACE(foreign ? "another user" : "the same user");
        WriteScoreFile("50");
        QTemporaryDir folder;
        int activations = 0;
        SingleLaunch first(key, folder.path());
        first.onActivate = [&] { ++activations; };
        ASSERT_EQ(first.Claim(0), SingleLaunch::Outcome::First);
        BApplication app("application/x-vnd.Brightnook-KitTest");
        auto* window = new TumbleWindow();
        window->PostMessage(kNewGameCommand);
        Settle();

        int report[2];
        ASSERT_EQ(pipe(report), 0);
        const int before = OpenDescriptors();
        const pid_t flood = StartFlood(first.ServerName(), foreign, report[1]);
        ASSERT_GT(flood, 0);
        close(report[1]);
        int most = before;
        pollfd done{report[0], POLLIN, 0};
        QDeadlineTimer guard(kWaitGuardMs * 6);
        while (poll(&done, 1, 0) == 0 && !guard.hasExpired()) {
            QTest::qWait(1);
            most = std::max(most, OpenDescriptors());
        }
        int connected = -1;
        EXPECT_EQ(read(report[0], &connected, sizeof connected), ssize_t(sizeof connected));
        close(report[0]);
        std::printf("%s: %d of %d attempts connected; descriptors %d before, at most %d\n",
                    foreign ? "another user" : "same user", connected, kFloodAttempts, before,
                    most);
        EXPECT_LE(most, before + kHandful);
        EXPECT_EQ(window->View()->gameState, kRunning);
        if (foreign) {
            EXPECT_EQ(connected, 0);
            EXPECT_EQ(activations, 0);
        } else {
            EXPECT_GT(connected, kHandful);
        }

        // Still flooded: a better score is saved.
        window->View()->score = 60;
        window->PostMessage(kEndGameCommand);
        EXPECT_TRUE(RunUntilQuit(app));
        EXPECT_EQ(ReadScoreFile(), "60");

        // The flood gone, a later start still gets through.
        kill(flood, SIGKILL);
        EXPECT_EQ(waitpid(flood, nullptr, 0), flood);
        EXPECT_TRUE(WaitFor([&] {
            return SingleLaunch(key, folder.path()).Claim(0) == SingleLaunch::Outcome::Forwarded;
        }));
    }
    setrlimit(RLIMIT_NOFILE, &saved);
}
