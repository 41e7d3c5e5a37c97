// Score files a player, a crash or a full disk might leave: each loads without crash or hang
// to the documented value, and a later better score is saved over it where that is possible.
#include "game/TumbleView.h"
#include "store/ScoreFile.h"
#include "tests/ScratchDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <filesystem>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const BRect kFrame(0, 20, 160, 420);
constexpr int32 kLater = 100;
constexpr size_t kFiftyMegabytes = 50u << 20;

// Ends a round that scored `score` in a view built in the working directory.
void EndRoundWith(TumbleView& view, int32 score) {
    view.gameState = kRunning;
    view.score = score;
    view.EndGame();
}

bool IsRegularFile(const char* name) {
    struct stat st {};
    return lstat(name, &st) == 0 && S_ISREG(st.st_mode);
}

struct Case {
    const char* what;
    std::function<void(const ScratchDir&)> make;
    int32 loaded;
};

void Contents(const ScratchDir& d, std::string_view text) {
    d.Write(kScoreFileName, text);
}

} // namespace

// The README's table lists these cases with the same values.
TEST(HostileScoreFile, LoadsTheDocumentedValueAndTakesABetterScore) {
    const std::string fiftyMegabytes(kFiftyMegabytes, '7');
    const Case cases[] = {
        {"missing", [](const ScratchDir&) {}, 0},
        {"empty", [](const ScratchDir& d) { Contents(d, ""); }, 0},
        {"white space", [](const ScratchDir& d) { Contents(d, " \t\r\n\v\f "); }, 0},
        {"abc", [](const ScratchDir& d) { Contents(d, "abc"); }, 0},
        {"12abc", [](const ScratchDir& d) { Contents(d, "12abc"); }, 12},
        {"  42\\n", [](const ScratchDir& d) { Contents(d, "  42\n"); }, 42},
        {"-5", [](const ScratchDir& d) { Contents(d, "-5"); }, -5},
        {"+7", [](const ScratchDir& d) { Contents(d, "+7"); }, 7},
        {"2147483648", [](const ScratchDir& d) { Contents(d, "2147483648"); }, 0},
        {"-2147483649", [](const ScratchDir& d) { Contents(d, "-2147483649"); }, 0},
        {"-2147483648", [](const ScratchDir& d) { Contents(d, "-2147483648"); }, INT32_MIN},
        {"50 MB of digits", [&](const ScratchDir& d) { Contents(d, fiftyMegabytes); }, 0},
        {"binary with NULs",
         [](const ScratchDir& d) { Contents(d, std::string_view("\0\x01\xfe\xff\0009", 6)); }, 0},
        {"digits, NUL, digits",
         [](const ScratchDir& d) { Contents(d, std::string_view("37\0\00012", 6)); }, 37},
        {"dangling symlink",
         [](const ScratchDir& d) { fs::create_symlink(d / "nowhere", d / kScoreFileName); }, 0},
        {"FIFO", [](const ScratchDir&) { ASSERT_EQ(mkfifo(kScoreFileName, 0664), 0); }, 0},
        {"leftover temporary file",
         [](const ScratchDir& d) {
             Contents(d, "30");
             d.Write(kScoreTempName, "99999");
         },
         30},
        {"leftover temporary symlink",
         [](const ScratchDir& d) {
             Contents(d, "30");
             fs::create_symlink(d / "elsewhere", d / kScoreTempName);
         },
         30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        c.make(dir);
        {
            TumbleView view(kFrame);
            EXPECT_EQ(view.highScore, c.loaded);
            // -5 is beaten even by a round of 0.
            const int32 later = c.loaded < 0 ? 0 : kLater;
            EndRoundWith(view, later);
            EXPECT_EQ(view.highScore, later);
            EXPECT_TRUE(IsRegularFile(kScoreFileName));
            EXPECT_EQ(dir.Read(kScoreFileName), std::to_string(later));
        }
        EXPECT_EQ(dir.Listing().find("nowhere"), std::string::npos);
        EXPECT_EQ(dir.Listing().find("elsewhere"), std::string::npos);
        EXPECT_NE(access(kScoreTempName, F_OK), 0) << dir.Listing();
        TumbleView next(kFrame);
        EXPECT_EQ(next.highScore, c.loaded < 0 ? 0 : kLater);
    }
}

TEST(HostileScoreFile, TheLargestScoreCannotBeBeaten) {
    ScratchDir dir;
    dir.Write(kScoreFileName, "2147483647");
    TumbleView view(kFrame);
    EXPECT_EQ(view.highScore, INT32_MAX);
    EndRoundWith(view, INT32_MAX);
    EXPECT_EQ(dir.Read(kScoreFileName), "2147483647");
    EXPECT_EQ(dir.Listing(), kScoreFileName);
}

// Replacing it would delete the player's folder: the save is given up, the folder kept.
TEST(HostileScoreFile, AFolderInThePlaceOfTheFileIsKept) {
    ScratchDir dir;
    ASSERT_EQ(mkdir(kScoreFileName, 0755), 0);
    dir.Write(std::string(kScoreFileName) + "/keep", "mine");
    TumbleView view(kFrame);
    EXPECT_EQ(view.highScore, 0);
    EndRoundWith(view, kLater);
    EXPECT_EQ(view.highScore, kLater); // still the best for the rest of the run
    EXPECT_EQ(dir.Read(std::string(kScoreFileName) + "/keep"), "mine");
    EXPECT_EQ(dir.Listing(), kScoreFileName);
}

// The link itself is replaced; what it pointed to is neither read for saving nor written.
TEST(HostileScoreFile, ALinkToAnotherFileIsReplacedNotFollowedOnSave) {
    ScratchDir dir;
    dir.Write("target", "60");
    fs::create_symlink(dir / "target", dir / kScoreFileName);
    TumbleView view(kFrame);
    EXPECT_EQ(view.highScore, 60);
    EndRoundWith(view, 70);
    EXPECT_TRUE(IsRegularFile(kScoreFileName));
    EXPECT_EQ(dir.Read(kScoreFileName), "70");
    EXPECT_EQ(dir.Read("target"), "60");
}

// A leftover folder under the temporary name cannot be cleared without deleting it.
TEST(HostileScoreFile, AFolderInThePlaceOfTheTemporaryFileStopsSavesOnly) {
    ScratchDir dir;
    dir.Write(kScoreFileName, "30");
    ASSERT_EQ(mkdir(kScoreTempName, 0755), 0);
    TumbleView view(kFrame);
    EXPECT_EQ(view.highScore, 30);
    EndRoundWith(view, kLater);
    EXPECT_EQ(view.highScore, kLater);
    EXPECT_EQ(dir.Read(kScoreFileName), "30");
}

// Root writes through any permission bits, but nobody can create a file in /proc.
TEST(HostileScoreFile, AFolderNobodyCanWriteLosesTheSaveOnly) {
    ScratchDir dir;
    ASSERT_EQ(chdir("/proc"), 0);
    {
        TumbleView view(kFrame);
        EXPECT_EQ(view.highScore, 0);
        EndRoundWith(view, kLater);
        EXPECT_EQ(view.highScore, kLater);
    }
    EXPECT_NE(access("/proc/Scores.data", F_OK), 0);
    EXPECT_NE(access("/proc/.Scores.data.tmp", F_OK), 0);
    ASSERT_EQ(chdir(dir.Path().c_str()), 0);
}

// A full disk or quota, stood in for by a file-size limit of 0 that binds root too: every
// write fails after the temporary file is created, and the old best must survive whole.
TEST(HostileScoreFile, AFailedWriteKeepsTheOldScore) {
    ScratchDir dir;
    dir.Write(kScoreFileName, "100");
    TumbleView view(kFrame);
    ASSERT_EQ(view.highScore, 100);
    const pid_t pid = fork();
    if (pid == 0) {
        const rlimit none{0, 0};
        signal(SIGXFSZ, SIG_IGN);
        if (setrlimit(RLIMIT_FSIZE, &none) != 0)
            _exit(2);
        EndRoundWith(view, 250);
        _exit(view.highScore == 250 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(dir.Read(kScoreFileName), "100");
    EXPECT_EQ(dir.Listing(), kScoreFileName);
}

// The score is data: a save keeps who may read and write it, never set-user-ID or execute
// bits, and a link's target lends it nothing.
TEST(HostileScoreFile, ASaveCarriesNoSpecialPermissionBits) {
    ScratchDir dir;
    dir.Write(kScoreFileName, "30");
    ASSERT_EQ(chmod(kScoreFileName, 04755), 0);
    dir.Write("program", "#!/bin/sh\n");
    ASSERT_EQ(chmod("program", 06755), 0);
    const mode_t umaskWas = umask(022);
    struct stat st {};
    {
        TumbleView view(kFrame);
        EndRoundWith(view, 40);
        ASSERT_EQ(stat(kScoreFileName, &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0644u);

        fs::remove(kScoreFileName);
        fs::create_symlink(dir / "program", dir / kScoreFileName);
        EndRoundWith(view, 50);
        ASSERT_EQ(lstat(kScoreFileName, &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0644u); // 0664 under the umask
    }
    umask(umaskWas);
    EXPECT_EQ(dir.Read(kScoreFileName), "50");
}
