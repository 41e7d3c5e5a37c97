// The application kit's message queue and single launch. Twenty starts at once, a killed first
// copy and the fallback to the cache folder are tests/e2e/single_launch.sh's.
#include "platform/Application.h"
#include "platform/SingleLaunch.h"
#include "tests/support/Fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace {

using Outcome = SingleLaunch::Outcome;
const QString key = QStringLiteral("application/x-vnd.Brightnook-KitTest");

class RecordingWindow : public BWindow {
public:
    RecordingWindow() : BWindow(BRect(0, 0, 99, 99), "recording", B_TITLED_WINDOW, 0) {}
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

// Connections to the running copy's socket as later starts would make: a crowd that never
// speaks, then one that asks it to come forward. Each silent connection is dropped after a
// second, four served at once: the request gets through, and the crowd costs the game no more
// than a handful of descriptors.
TEST(SingleLaunch, ARequestGetsThroughACrowdOfSilentConnections) {
    const auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    QTemporaryDir folder;
    int activations = 0;
    SingleLaunch first(key, folder.path());
    first.onActivate = [&] { ++activations; };
    ASSERT_EQ(first.Claim(0), Outcome::First);
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, qPrintable(first.ServerName()), sizeof address.sun_path - 1);
    std::vector<int> crowd(13); // waiting in the kernel's queue until the game takes them
    for (int& fd : crowd) {
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_EQ(connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    }
    ASSERT_EQ(write(crowd.back(), "activate\n", 9), 9);
    const auto before = openDescriptors();
    auto most = before;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return most = std::max(most, openDescriptors()), activations > 0; }, 30000));
    for (int fd : crowd)
        close(fd);
    EXPECT_EQ(activations, 1);
    EXPECT_LE(most, before + 7);
}

// Taken over when nobody holds it; never while a copy holds it, even one that does not answer.
TEST(SingleLaunch, LockIsTakenOverOnlyWhenNobodyHoldsIt) {
    QTemporaryDir folder;
    {
        // Holds the lock but cannot be reached, as a copy stuck before it listens.
        SingleLaunch hung(key, folder.path());
        ASSERT_EQ(hung.Claim(0), Outcome::First);
        QFile::remove(hung.ServerName());
        EXPECT_EQ(SingleLaunch(key, folder.path()).Claim(100), Outcome::NoAnswer);
    }
    // Left empty by a copy that died while making it.
    QFile(SingleLaunch(key, folder.path()).LockPath()).open(QIODevice::WriteOnly);
    EXPECT_EQ(SingleLaunch(key, folder.path()).Claim(100), Outcome::First);
}

// Anyone who could enter the folder could take the lock's name first or talk to the game.
TEST(SingleLaunch, LockLivesOnlyInAFolderNoOtherUserCanEnter) {
    QTemporaryDir base;
    const QString real = base.filePath(QStringLiteral("real"));
    const QByteArray path = QFile::encodeName(real);
    ASSERT_TRUE(mkdir(path, 0700) == 0 && QFile::link(real, base.filePath(QStringLiteral("link"))));
    const auto claim = [&](mode_t mode, const char* folder) {
        chmod(path, mode);
        return SingleLaunch(key, base.filePath(QString::fromUtf8(folder))).Claim(0);
    };
    EXPECT_EQ(claim(0700, "real"), Outcome::First) << "private";
    EXPECT_EQ(claim(0700, "link"), Outcome::Unusable) << "a link";
    EXPECT_EQ(claim(0710, "real"), Outcome::Unusable) << "group";
    EXPECT_EQ(claim(0701, "real"), Outcome::Unusable) << "others";
    if (geteuid() == 0 && chown(path, 65534, 65534) == 0) {
        EXPECT_EQ(claim(0700, "real"), Outcome::Unusable) << "nobody's";
    }
}
