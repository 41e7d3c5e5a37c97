// "Scores.data": what loads from whatever a player, a crash or a full disk left there, what a
// better round leaves in it, and that a save which cannot complete leaves the old file whole.
#include "game/Layout.h"
#include "game/TumbleView.h"
#include "store/ScoreFile.h"
#include "store/ScorePlace.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
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

void EndRoundWith(TumbleView& view, int32 score) {
    view.gameState = kRunning;
    view.score = score;
    view.EndGame();
}

bool IsRegularFile(const char* name) {
    struct stat st {};
    return lstat(name, &st) == 0 && S_ISREG(st.st_mode);
}

bool GiveUpRoot() {
    return geteuid() != 0 || (setgid(65534) == 0 && setuid(65534) == 0);
}

// A later round scores `later`; the file then holds `after`.
struct Case {
    const char* what;
    std::function<void(const ScratchDir&)> make;
    int32 loaded, later;
    const char* after;
};

std::function<void(const ScratchDir&)> Holding(std::string_view text) {
    return [text](const ScratchDir& d) { d.Write(kScoreFileName, text); };
}

} // namespace

// The README's table lists these cases with the same values.
TEST(ScoreFile, LoadsTheDocumentedValueAndTakesABetterScore) {
    const std::string fiftyMegabytes(50u << 20, '7');
    const Case cases[] = {
        {"missing", [](const ScratchDir&) {}, 0, 100, "100"},
        {"empty", Holding(""), 0, 100, "100"},
        {"white space", Holding(" \t\r\n\v\f "), 0, 100, "100"},
        {"abc", Holding("abc"), 0, 100, "100"},
        {"12abc", Holding("12abc"), 12, 100, "100"},
        {"  42\\n", Holding("  42\n"), 42, 100, "100"},
        {"100", Holding("100"), 100, 120, "120"},
        {"-5", Holding("-5"), -5, 0, "0"},
        {"+7", Holding("+7"), 7, 100, "100"},
        {"- 5", Holding("- 5"), 0, 100, "100"},
        {"-2147483648", Holding("-2147483648"), INT32_MIN, 0, "0"},
        {"2147483647 cannot be beaten", Holding("2147483647"), INT32_MAX, INT32_MAX, "2147483647"},
        // Out of range loads 0 rather than a clamped value no round could beat.
        {"2147483648", Holding("2147483648"), 0, 100, "100"},
        {"-2147483649", Holding("-2147483649"), 0, 100, "100"},
        {"50 MB of digits", Holding(fiftyMegabytes), 0, 100, "100"},
        {"binary with NULs", Holding(std::string_view("\0\x01\xfe\xff\0009", 6)), 0, 100, "100"},
        {"digits, NUL, digits", Holding(std::string_view("37\0\00012", 6)), 37, 100, "100"},
        {"dangling symlink",
         [](const ScratchDir& d) { fs::create_symlink(d / "nowhere", d / kScoreFileName); }, 0, 100,
         "100"},
        {"FIFO", [](const ScratchDir&) { ASSERT_EQ(mkfifo(kScoreFileName, 0664), 0); }, 0, 100,
         "100"},
        {"leftover temporary file",
         [](const ScratchDir& d) {
             d.Write(kScoreFileName, "30");
             d.Write(kScoreTempName, "99999");
         },
         30, 100, "100"},
        {"leftover temporary symlink",
         [](const ScratchDir& d) {
             d.Write(kScoreFileName, "30");
             fs::create_symlink(d / "elsewhere", d / kScoreTempName);
         },
         30, 100, "100"},
        // The link itself is replaced; what it pointed to is neither read for saving nor written.
        {"link to another file",
         [](const ScratchDir& d) {
             d.Write("target", "60");
             fs::create_symlink(d / "target", d / kScoreFileName);
         },
         60, 70, "70"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        c.make(dir);
        {
            TumbleView view(kViewFrame);
            EXPECT_EQ(view.highScore, c.loaded);
            EndRoundWith(view, c.later);
            EXPECT_EQ(view.highScore, std::max(c.loaded, c.later));
        }
        EXPECT_TRUE(IsRegularFile(kScoreFileName));
        EXPECT_EQ(dir.Read(kScoreFileName), c.after);
        const std::string listing = dir.Listing();
        EXPECT_TRUE(listing == kScoreFileName || listing == "Scores.data target") << listing;
        EXPECT_EQ(TumbleView(kViewFrame).highScore, std::max(c.loaded, c.later));
        EXPECT_EQ(dir.Read("target"), listing == kScoreFileName ? "" : "60");
    }
}

// Each failure is set up before the save (in the parent) or in the child that saves.
TEST(ScoreFile, FailedSaveLeavesTheOldFileAndTheRoundStillCounts) {
    const struct {
        const char* what;
        std::function<void(const ScratchDir&)> make;
        std::function<bool()> inChild;
        const char* kept;
        const char* keptText;
        const char* listing;
    } cases[] = {
        {"a folder at the temporary name",
         [](const ScratchDir&) { fs::create_directory(kScoreTempName); }, [] { return true; },
         kScoreFileName, "100\n", ".Scores.data.tmp Scores.data"},
        // Replacing it would delete the player's folder: the save is given up.
        {"a folder named Scores.data",
         [](const ScratchDir& d) {
             fs::remove(kScoreFileName);
             fs::create_directory(kScoreFileName);
             d.Write("Scores.data/keep", "mine");
         },
         [] { return true; }, "Scores.data/keep", "mine", "Scores.data"},
        // Root writes through permission bits, so the child gives up root, as a player whose
        // game lies in a system folder would run it.
        {"a folder nobody may write", [](const ScratchDir& d) { chmod(d.Path().c_str(), 0555); },
         [] {
             // Nor any data folder of the player's.
             setenv("XDG_DATA_HOME", "/proc", 1);
             return GiveUpRoot() && access(".", W_OK) != 0;
         },
         kScoreFileName, "100\n", "Scores.data"},
        // A player keeps a score by making the file read-only, though the folder is writable.
        {"a read-only file",
         [](const ScratchDir& d) {
             chmod(kScoreFileName, 0444);
             chmod(d.Path().c_str(), 0777);
         },
         [] { return GiveUpRoot() && access(".", W_OK) == 0; }, kScoreFileName, "100\n",
         "Scores.data"},
        // A full disk or quota: a file size limit of 0 lets the temporary file be created, then
        // fails its first write, for root too.
        {"every write fails", [](const ScratchDir&) {},
         [] {
             signal(SIGXFSZ, SIG_IGN);
             const rlimit none{0, 0};
             return setrlimit(RLIMIT_FSIZE, &none) == 0;
         },
         kScoreFileName, "100\n", "Scores.data"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        dir.Write(kScoreFileName, "100\n");
        c.make(dir);
        TumbleView view(kViewFrame);
        const pid_t pid = fork();
        if (pid == 0) {
            if (!c.inChild())
                _exit(2);
            EndRoundWith(view, 120);
            _exit(view.highScore == 120 ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        chmod(dir.Path().c_str(), 0755);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(dir.Read(c.kept), c.keptText);
        EXPECT_EQ(dir.Listing(), c.listing);
    }
}

// The score is data: a save keeps who may read and write it, never set-user-ID or execute
// bits, and a link's target lends it nothing.
TEST(ScoreFile, SaveCarriesOnlyReadAndWriteBits) {
    const struct {
        mode_t umask, existing, saved; // existing 0: no file
        bool link;                     // the file is a link to one of that mode
    } cases[] = {{022, 0, 0644, false},    {002, 0, 0664, false},     {077, 0, 0600, false},
                 {022, 0600, 0600, false}, {022, 04755, 0644, false}, {022, 06755, 0644, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.umask << " " << c.existing << c.link);
        ScratchDir dir;
        const char* existing = c.link ? "program" : kScoreFileName;
        if (c.existing != 0) {
            dir.Write(existing, "3");
            chmod(existing, c.existing);
        }
        if (c.link)
            fs::create_symlink(dir / existing, dir / kScoreFileName);
        const mode_t was = umask(c.umask);
        {
            TumbleView view(kViewFrame);
            EndRoundWith(view, 9);
        }
        umask(was);
        struct stat st {};
        ASSERT_EQ(lstat(kScoreFileName, &st), 0);
        EXPECT_EQ(st.st_mode & 07777, c.saved);
        EXPECT_EQ(dir.Read(kScoreFileName), "9");
    }
}

// The program's folder is the working directory. Each round plays in a child that is not
// root, as a player is: root may write anywhere.
TEST(ScorePlace, BesideTheProgramWhileItsFolderMayBeWrittenElseInTheDataFolder) {
    const std::string kDefault = "home/.local/share/tumblegem";
    const struct {
        const char* what;
        mode_t programMode;
        const char* beside;       // "Scores.data" beside the program; nullptr: none
        bool xdgDataHome;         // XDG_DATA_HOME is "data"; else only HOME is "home"
        mode_t playersFolderMode; // 0: not made yet
        const char* players;      // the player's "Scores.data"; nullptr: none
        int32 loaded, later;
        const char* besideAfter;  // nullptr: none
        const char* playersAfter; // nullptr: none
    } cases[] = {
        {"folder writable", 0777, "7", false, 0, nullptr, 7, 100, "100", nullptr},
        {"not writable, no data folder yet", 0555, nullptr, false, 0, nullptr, 0, 100, nullptr,
         "100"},
        {"not writable, XDG_DATA_HOME", 0555, nullptr, true, 0, nullptr, 0, 100, nullptr, "100"},
        {"data folder not writable", 0555, nullptr, false, 0555, nullptr, 0, 100, nullptr, nullptr},
        {"starting best beside the program", 0555, "50", false, 0, nullptr, 50, 100, "50", "100"},
        {"the player's file counts once it exists", 0555, "50", false, 0700, "20", 20, 30, "50",
         "30"},
        {"even when it holds no number", 0555, "50", false, 0700, "abc", 0, 30, "50", "30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::string players = c.xdgDataHome ? "data/tumblegem" : kDefault;
        fs::create_directories(c.xdgDataHome ? "data" : "home");
        if (c.beside != nullptr)
            dir.Write(kScoreFileName, c.beside);
        if (c.playersFolderMode != 0) {
            fs::create_directories(players);
            if (c.players != nullptr)
                dir.Write(players + "/" + kScoreFileName, c.players);
            chmod(players.c_str(), c.playersFolderMode);
        }
        chmod("home", 0777);
        chmod("data", 0777);
        if (geteuid() == 0)
            for (const auto& entry : fs::recursive_directory_iterator(dir.Path()))
                lchown(entry.path().c_str(), 65534, 65534);
        chmod(dir.Path().c_str(), c.programMode);

        const pid_t pid = fork();
        if (pid == 0) {
            if (!GiveUpRoot())
                _exit(3);
            setenv("HOME", (dir / "home").c_str(), 1);
            if (c.xdgDataHome)
                setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
            else
                unsetenv("XDG_DATA_HOME");
            int32 best = 0;
            ReadBestScore(&best);
            if (best != c.loaded)
                _exit(1);
            WriteBestScore(c.later);
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        chmod(dir.Path().c_str(), 0755);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

        const std::string playersFile = players + "/" + kScoreFileName;
        EXPECT_EQ(fs::exists(kScoreFileName), c.besideAfter != nullptr);
        EXPECT_EQ(dir.Read(kScoreFileName), c.besideAfter != nullptr ? c.besideAfter : "");
        EXPECT_EQ(fs::exists(playersFile), c.playersAfter != nullptr);
        EXPECT_EQ(dir.Read(playersFile), c.playersAfter != nullptr ? c.playersAfter : "");
        struct stat st {};
        if (c.playersFolderMode == 0 && c.playersAfter != nullptr) {
            EXPECT_EQ(stat(players.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, 0700u);
        }
        if (c.playersFolderMode == 0 && c.playersAfter == nullptr) {
            EXPECT_FALSE(fs::exists("home/.local"));
        }
        chmod(players.c_str(), 0755);
    }
}
