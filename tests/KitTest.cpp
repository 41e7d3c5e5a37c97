// The application kit's message queue and single launch. Twenty starts at once, a killed first
// copy and the fallback to the cache folder are tests/e2e/single_launch.sh's.
#include "platform/Application.h"
#include "platform/SingleLaunch.h"
#include "platform/Window.h"
#include "tests/AppTestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

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
            QTest::qWait(10);
        }
    }
    std::vector<uint32> received;
    size_t nestedSaw = 0;
};

const QString key = QStringLiteral("application/x-vnd.Brightnook-KitTest");

// A guard against hangs only.
bool WaitFor(const std::function<bool()>& condition, int guardMs = 10000) {
    QDeadlineTimer guard(guardMs);
    while (!condition() && !guard.hasExpired())
        QTest::qWait(1);
    return condition();
}

qsizetype OpenDescriptors() {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System).size();
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

// A child connects to the running copy's socket as later starts would: a crowd that never
// speaks, then one that asks it to come forward. The request gets through, and the crowd costs
// the game no more than a handful of descriptors.
TEST(SingleLaunch, ARequestGetsThroughACrowdOfSilentConnections) {
    constexpr int kSilent = 12;
    constexpr int kHandful = 7; // four connections served at once, and room to spare
    QTemporaryDir folder;
    int activations = 0;
    SingleLaunch first(key, folder.path());
    first.onActivate = [&] { ++activations; };
    ASSERT_EQ(first.Claim(0), SingleLaunch::Outcome::First);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(first.ServerName());
    std::memcpy(address.sun_path, name.constData(),
                std::min<size_t>(name.size(), sizeof address.sun_path - 1));
    const qsizetype before = OpenDescriptors();
    const pid_t crowd = fork();
    if (crowd == 0) {
        for (int i = 0; i <= kSilent; ++i) {
            const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
            if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                _exit(1);
            if (i == kSilent)
                (void)!write(fd, "activate\n", 9);
        }
        for (;;)
            pause();
    }
    qsizetype most = before;
    // Each silent connection is dropped after a second, four at a time.
    EXPECT_TRUE(WaitFor(
        [&] {
            most = std::max(most, OpenDescriptors());
            return activations > 0;
        },
        30000));
    kill(crowd, SIGKILL);
    EXPECT_EQ(waitpid(crowd, nullptr, 0), crowd);
    EXPECT_EQ(activations, 1);
    EXPECT_LE(most, before + kHandful);
}

// Taken over when nobody holds it; never while a copy holds it, even one that does not answer.
TEST(SingleLaunch, LockIsTakenOverOnlyWhenNobodyHoldsIt) {
    QTemporaryDir folder;
    {
        // Holds the lock but cannot be reached, as a copy stuck before it listens.
        SingleLaunch hung(key, folder.path());
        ASSERT_EQ(hung.Claim(0), SingleLaunch::Outcome::First);
        QFile::remove(hung.ServerName());
        EXPECT_EQ(SingleLaunch(key, folder.path()).Claim(100), SingleLaunch::Outcome::NoAnswer);
    }
    // Left empty by a copy that died while making it.
    QFile lock(SingleLaunch(key, folder.path()).LockPath());
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    EXPECT_EQ(SingleLaunch(key, folder.path()).Claim(100), SingleLaunch::Outcome::First);
}

// Anyone who could enter the folder could take the lock's name first or talk to the game.
TEST(SingleLaunch, LockLivesOnlyInAFolderNoOtherUserCanEnter) {
    QTemporaryDir base;
    const QString real = base.filePath(QStringLiteral("real"));
    const QString link = base.filePath(QStringLiteral("link"));
    const QByteArray path = QFile::encodeName(real);
    ASSERT_EQ(mkdir(path, 0700), 0);
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_EQ(SingleLaunch(key, real).Claim(0), SingleLaunch::Outcome::First) << "private";
    EXPECT_EQ(SingleLaunch(key, link).Claim(0), SingleLaunch::Outcome::Unusable) << "a link";
    ASSERT_EQ(chmod(path, 0710), 0);
    EXPECT_EQ(SingleLaunch(key, real).Claim(0), SingleLaunch::Outcome::Unusable) << "group";
    ASSERT_EQ(chmod(path, 0701), 0);
    EXPECT_EQ(SingleLaunch(key, real).Claim(0), SingleLaunch::Outcome::Unusable) << "others";
    if (geteuid() == 0 && chmod(path, 0700) == 0 && chown(path, 65534, 65534) == 0) {
        EXPECT_EQ(SingleLaunch(key, real).Claim(0), SingleLaunch::Outcome::Unusable) << "nobody's";
    }
}
