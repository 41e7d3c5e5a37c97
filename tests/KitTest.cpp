// The application kit's message queues and single launch.
#include "platform/Application.h"
#include "platform/SingleLaunch.h"
#include "platform/Window.h"
#include "tests/AppTestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QLockFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
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
