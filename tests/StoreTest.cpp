// "Scores.data": what loads from whatever a player, a crash or a full disk left there, what a
// save leaves, where the file lives, and that a save killed at any moment leaves a whole number.
// Loads and saves run in a child that is not root, as a player's game does: root writes
// through permission bits.
#include "store/ScoreFile.h"
#include "store/ScorePlace.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <random>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Makes in the working directory what entries lists, in order: "path=text", "path->target",
// "path/" (a folder) or "path|" (a FIFO), each maybe with ":mode" (octal) after it; "." is the
// folder itself. A folder comes before what is in it.
void Make(const std::string& entries) {
    std::istringstream in(entries);
    for (std::string entry; in >> entry;) {
        const size_t colon = entry.rfind(':'), arrow = entry.find("->"), equals = entry.find('=');
        const std::string path = entry.substr(0, std::min({colon, arrow, equals}));
        if (arrow != std::string::npos)
            fs::create_symlink(entry.substr(arrow + 2), path);
        else if (equals != std::string::npos)
            std::ofstream(path) << entry.substr(equals + 1, colon - equals - 1);
        else if (path.back() == '|')
            mkfifo(path.substr(0, path.size() - 1).c_str(), 0664);
        else if (path.back() == '/')
            fs::create_directories(path);
        if (colon != std::string::npos)
            chmod(path.c_str(), std::stoul(entry.substr(colon + 1), nullptr, 8));
    }
}

// In a child that gives up root, if it has it, in the working folder made the player's: makes
// "Scores.data" holding text, if any, and entries, runs prepare, loads the best score and saves
// 100, leaving no descriptor open. What loaded.
int32 LoadAndSaveAsPlayer(const std::optional<std::string>& text, const std::string& entries,
                          const std::function<void()>& prepare = {}) {
    constexpr uid_t kPlayer = 65534;
    (void)!chown(".", kPlayer, kPlayer);
    umask(002);
    // What the child loaded, seen here.
    static auto* loaded = static_cast<int32*>(
        mmap(nullptr, sizeof(int32), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0));
    *loaded = -1;
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kPlayer) != 0 || setuid(kPlayer) != 0))
            _exit(1);
        if (text)
            std::ofstream(kScoreFileName, std::ios::binary) << *text;
        Make(entries);
        // The data folder is "home/.local/share/tumblegem"; unless made, none to fall back on.
        setenv("HOME", fs::absolute("home").c_str(), 1);
        unsetenv("XDG_DATA_HOME");
        if (prepare)
            prepare();
        const auto descriptors = [] {
            return std::distance(fs::directory_iterator("/proc/self/fd"), {});
        };
        const auto before = descriptors();
        *loaded = 0;
        ReadBestScore(loaded);
        WriteBestScore(100);
        _exit(descriptors() == before ? 0 : 2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    chmod(".", 0755);
    EXPECT_EQ(status, 0) << "the child failed (512: it left a descriptor open)";
    return *loaded;
}

} // namespace

// docs/TESTING.md's table lists these cases. A save that cannot complete leaves the old file whole;
// one that does keeps who may read and write the file, nothing more.
TEST(ScoreFile, LoadsWhatItCanAndSavesWholeOrNotAtAll) {
    const struct {
        const char* what;
        std::optional<std::string> text; // "Scores.data"
        const char* also;                // more entries for Make
        int32 loaded;
        const char* after = "100"; // the file after the save of 100
        mode_t mode = 0664;
        const char* listing = kScoreFileName;
        std::function<void()> inChild = {};
    } cases[] = {
        {"missing", {}, "", 0},
        {"empty", "", "", 0},
        {"white space", " \t\r\n\v\f ", "", 0},
        {"a tab before the number", "\t42\n", "", 42},
        {"abc", "abc", "", 0},
        {"12abc", "12abc", "", 12},
        {"+7", "+7", "", 7},
        {"-5", "-5", "", -5},
        {"- 5", "- 5", "", 0},
        {"-2147483648", "-2147483648", "", INT32_MIN},
        {"2147483647", "2147483647", "", INT32_MAX},
        // Out of range loads 0 rather than a clamped value no round could beat.
        {"2147483648", "2147483648", "", 0},
        {"-2147483649", "-2147483649", "", 0},
        {"50 MB of digits", std::string(50u << 20, '7'), "", 0},
        {"binary with NULs", std::string("\0\x01\xfe\xff\0009", 6), "", 0},
        {"digits, NUL, digits", std::string("37\0\00012", 6), "", 37},
        {"a dangling symlink", {}, "Scores.data->nowhere", 0},
        {"a FIFO", {}, "Scores.data|", 0},
        {"a leftover temporary file", "30", ".Scores.data.tmp=99999", 30},
        {"a leftover temporary symlink", "30", ".Scores.data.tmp->elsewhere", 30},
        // The link is replaced; what it points to lends the save nothing and keeps 60.
        {"a link", {}, "file=60:600 Scores.data->file", 60, "100", 0664, "Scores.data file"},
        {"mode 0600", "1", "Scores.data:600", 1, "100", 0600},
        {"mode 04755", "1", "Scores.data:4755", 1, "100", 0644},
        // The saves that fail.
        {"a folder at the temporary name", "50", ".Scores.data.tmp/", 50, "50", 0664,
         ".Scores.data.tmp Scores.data"},
        // Replacing it would delete the player's folder.
        {"a folder named Scores.data", {}, "Scores.data/ Scores.data/keep=mine", 0, "", 0775},
        {"a folder nobody may write", "50", ".:555", 50, "50"},
        // A player keeps a score by making the file read-only, though the folder is writable.
        {"a read-only file", "50", "Scores.data:444", 50, "50", 0444},
        // A full disk or quota: the temporary file is made, then its first write fails.
        {"every write fails", "50", "", 50, "50", 0664, kScoreFileName,
         [] {
             signal(SIGXFSZ, SIG_IGN);
             const rlimit none{0, 0};
             setrlimit(RLIMIT_FSIZE, &none);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        EXPECT_EQ(LoadAndSaveAsPlayer(c.text, c.also, c.inChild), c.loaded);
        struct stat st {};
        EXPECT_EQ(lstat(kScoreFileName, &st) == 0 ? st.st_mode & 07777 : 0, c.mode);
        EXPECT_EQ(dir.Read(kScoreFileName), c.after);
        EXPECT_EQ(dir.Listing(), c.listing);
        EXPECT_TRUE(!fs::exists("file") || dir.Read("file") == "60");
    }
}

// The file is read into a buffer with no terminator: nothing past the bytes read may count.
TEST(ScoreFile, ParsingStopsAtTheLengthRead) {
    int32 value = 0;
    ASSERT_TRUE(ParseScore("4567", 2, &value));
    EXPECT_EQ(value, 45);
}

// The program's folder is the working directory; the player's data folder is under
// XDG_DATA_HOME, "data", unless the row says HOME, "home". Made for the save, it is 0700:
// nobody else may look in it.
TEST(ScorePlace, BesideTheProgramWhileItsFolderMayBeWrittenElseInTheDataFolder) {
    const struct {
        const char* what;
        const char* entries; // for Make, after "home/ data/"
        int32 loaded;
        const char* beside;  // the file beside the program after the save; "": none
        const char* players; // the player's file after the save; "": none
        mode_t folderMode;   // of the player's data folder; 0: none
        bool underHome = false;
    } cases[] = {
        {"not writable, the best beside it to beat", "Scores.data=50 .:555", 50, "50", "100", 0700},
        {"not writable, under HOME", ".:555", 0, "", "100", 0700, true},
        {"data folder not writable", "data/tumblegem/:555 .:555", 0, "", "", 0555},
        {"the player's file alone counts once it exists, number or not",
         "Scores.data=50 data/tumblegem/ data/tumblegem/Scores.data=abc .:555", 0, "50", "100",
         0775},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScratchDir dir;
        const std::string folder = c.underHome ? "home/.local/share/tumblegem" : "data/tumblegem";
        const auto dataHome = [] { setenv("XDG_DATA_HOME", fs::absolute("data").c_str(), 1); };
        EXPECT_EQ(LoadAndSaveAsPlayer({}, std::string("home/ data/ ") + c.entries,
                                      c.underHome ? std::function<void()>() : dataHome),
                  c.loaded);
        EXPECT_EQ(dir.Read(kScoreFileName), c.beside);
        EXPECT_EQ(dir.Read(folder + "/Scores.data"), c.players);
        struct stat st {};
        EXPECT_EQ(stat(folder.c_str(), &st) == 0 ? st.st_mode & 07777 : 0, c.folderMode);
        chmod(folder.c_str(), 0755);
    }
}

// A child saves ever larger scores until it is killed at a random moment, again and again. A
// killed save may leave its temporary file; the next save replaces it. Forty kills catch a
// save that writes the score file in place every time.
TEST(ScoreFile, KilledSavesLeaveAWholeSavedNumber) {
    ScratchDir dir;
    std::mt19937 rng(20240611);
    for (int32 kill = 0, best = 0; kill < 40; ++kill) {
        SCOPED_TRACE(testing::Message() << "kill " << kill);
        const pid_t pid = fork();
        for (int32 value = best + 1; pid == 0; ++value) {
            if (!WriteScoreFile(kScoreFileName, kScoreTempName, value))
                _exit(1);
        }
        // Kills land anywhere in the first few saves after the child's first one; the count
        // only guards against a hang.
        for (int i = 0; i < 30000 && std::atoi(dir.Read(kScoreFileName).c_str()) <= best; ++i)
            usleep(1000);
        usleep(rng() % 20000);
        ::kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the child failed: " << status;
        const std::string text = dir.Read(kScoreFileName), listing = dir.Listing();
        const int32 value = std::atoi(text.c_str());
        ASSERT_TRUE(text == std::to_string(value) && value > best) << '"' << text << '"';
        ASSERT_TRUE(listing == "Scores.data" || listing == ".Scores.data.tmp Scores.data")
            << listing;
        best = value;
    }
}
