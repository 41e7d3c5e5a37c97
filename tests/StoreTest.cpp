// "Scores.data": what loads from it, what a better round leaves in it, and that a save which
// cannot complete leaves the old file exactly as it was.
#include "tests/Board.h"

#include "store/ScoreFile.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

class Store : public ::testing::Test {
protected:
    // The best score a newly built view finds in the scratch folder.
    int32 Loaded() {
        TumbleView view(BRect(0, 20, kViewRight, kViewBottom + 20));
        return view.highScore;
    }
    // A view that loaded the scratch folder's file and has just scored `score`.
    std::unique_ptr<TumbleView> Scored(int32 score) {
        auto view = std::make_unique<TumbleView>(BRect(0, 20, kViewRight, kViewBottom + 20));
        view->gameState = kRunning;
        view->score = score;
        return view;
    }
    std::vector<std::string> FolderEntries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    ScratchDir scratch;
};

TEST_F(Store, NoFileLoadsZero) {
    EXPECT_EQ(Loaded(), 0);
}

TEST_F(Store, LoadsTheLeadingNumber) {
    struct Case {
        const char* bytes;
        int32 loaded;
    };
    const Case cases[] = {
        {"100", 100},
        {"  42\n", 42},
        {"12abc", 12},
        {"-5", -5},
        {"+7", 7},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        // Out of range loads 0 rather than a clamped value no round could beat.
        {"2147483648", 0},
        {"-2147483649", 0},
        {"99999999999999999999999", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        WriteFile(kScoresData, c.bytes);
        EXPECT_EQ(Loaded(), c.loaded);
    }
}

TEST_F(Store, BetterRoundLeavesExactlyItsDigits) {
    WriteFile(kScoresData, "100");
    auto view = Scored(120);
    ASSERT_EQ(view->highScore, 100);
    view->EndGame();
    EXPECT_EQ(ReadFile(kScoresData), "120");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{kScoresData});
    EXPECT_EQ(Loaded(), 120);
}

TEST_F(Store, NewFileIsReadableByAllUnderTheUmask) {
    for (mode_t mask : {mode_t{022}, mode_t{002}, mode_t{077}}) {
        SCOPED_TRACE(mask);
        std::filesystem::remove(kScoresData);
        const mode_t old = umask(mask);
        Scored(7)->EndGame();
        umask(old);
        struct stat st {};
        ASSERT_EQ(stat(kScoresData, &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0664 & ~mask);
    }
}

TEST_F(Store, ExistingFileKeepsItsMode) {
    WriteFile(kScoresData, "3");
    chmod(kScoresData, 0600);
    Scored(9)->EndGame();
    struct stat st {};
    ASSERT_EQ(stat(kScoresData, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600);
    EXPECT_EQ(ReadFile(kScoresData), "9");
}

TEST_F(Store, FailedSaveLeavesTheOldFileAndTheRoundStillCounts) {
    // Something else stands where the new file would be written first.
    WriteFile(kScoresData, "100\n");
    std::filesystem::create_directory(kScoreTempName);
    auto view = Scored(120);
    view->EndGame();
    EXPECT_EQ(ReadFile(kScoresData), "100\n");
    EXPECT_TRUE(std::filesystem::is_directory(kScoreTempName));
    EXPECT_TRUE(std::filesystem::is_empty(kScoreTempName));
    EXPECT_EQ(view->highScore, 120);
}

// Runs the save of `score` in a child process, after `prepare` (which returns false when it
// cannot set up its failure); gives the child's exit code.
constexpr int kCannotPrepare = 2;
template <typename Prepare> int SaveInChild(TumbleView& view, Prepare prepare) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (!prepare())
            _exit(kCannotPrepare);
        view.SaveHighScore();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(Store, SaveIntoAFolderThatCannotBeWrittenLeavesTheOldFile) {
    WriteFile(kScoresData, "100");
    auto view = Scored(120);
    chmod(scratch.Path().c_str(), 0555);
    // Root writes through permission bits, so the save runs in a child that gives up root, as
    // a player whose game lies in a system folder would run it.
    const int code = SaveInChild(*view, [] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            return false;
        return access(".", W_OK) != 0;
    });
    chmod(scratch.Path().c_str(), 0755);
    if (code == kCannotPrepare)
        GTEST_SKIP() << "cannot run as a user without write access";
    ASSERT_EQ(code, 0);
    EXPECT_EQ(ReadFile(kScoresData), "100");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{kScoresData});
}

TEST_F(Store, SaveThatFailsWhileWritingLeavesTheOldFileAndNoTemporary) {
    WriteFile(kScoresData, "100");
    auto view = Scored(120);
    // A file size limit of 0 lets the temporary file be created, then fails its first write
    // (EFBIG) for root too, as a full disk or a quota would.
    const int code = SaveInChild(*view, [] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 0;
        return setrlimit(RLIMIT_FSIZE, &limit) == 0;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(ReadFile(kScoresData), "100");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{kScoresData});
}

} // namespace
