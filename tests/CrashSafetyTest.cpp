// A save killed at any moment leaves the old best score or the new one, whole: never an
// empty, partial or garbled file, and never more than one temporary file.
#include "store/ScoreFile.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <charconv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kKills = 250;
constexpr int kReadyTimeoutMs = 30000;
// Kills land anywhere in the first few saves after the helper's first one.
constexpr unsigned kMaxDelayUs = 20000;

// Starts the helper in folder, saving from start upward; returns its pid and the read end
// of its stdout.
pid_t StartSaver(const std::string& folder, int32 start, const std::string& progress, int* out) {
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const std::string startText = std::to_string(start);
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        if (chdir(folder.c_str()) != 0)
            _exit(126);
        execl(SCORE_SAVER, SCORE_SAVER, startText.c_str(), progress.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    *out = fds[0];
    return pid;
}

int64_t ReadProgress(const std::string& path) {
    int64_t value = -1;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        if (pread(fd, &value, sizeof value, 0) != sizeof value)
            value = -1;
        close(fd);
    }
    return value;
}

} // namespace

TEST(CrashSafety, KilledSavesLeaveAWholeSavedNumber) {
    ScratchDir outside; // the progress file lives here, apart from the score folder
    const std::string folder = outside / "game";
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    const std::string progress = outside / "progress";
    std::mt19937 rng(20240611);

    int32 best = 0; // last value seen on disk; the next helper starts above it
    int midSave = 0;
    for (int round = 0; round < kKills; ++round) {
        int out = -1;
        const pid_t pid = StartSaver(folder, best + 1, progress, &out);
        ASSERT_GT(pid, 0);
        pollfd ready{out, POLLIN, 0};
        char byte = 0;
        const bool started = poll(&ready, 1, kReadyTimeoutMs) == 1 && read(out, &byte, 1) == 1;
        close(out);
        if (started)
            usleep(rng() % kMaxDelayUs);
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(started) << "the helper never saved; status " << status;
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        const int64_t attempted = ReadProgress(progress);
        const std::string text = outside.Read("game/Scores.data");
        int32 value = 0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        ASSERT_TRUE(ec == std::errc() && end == text.data() + text.size() && !text.empty())
            << "kill " << round << ": the file holds \"" << text << "\"";
        EXPECT_GT(value, best) << "kill " << round << ": the first save is lost";
        EXPECT_LE(value, attempted) << "kill " << round << ": a value never saved";
        int32 loaded = -1;
        EXPECT_TRUE(ReadScoreFile((folder + "/Scores.data").c_str(), &loaded));
        EXPECT_EQ(loaded, value);

        // A killed save may leave its temporary file; the next save reuses it.
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "Scores.data" || name == ".Scores.data.tmp")
                << "kill " << round << ": stray file " << name;
            midSave += name == ".Scores.data.tmp";
        }
        if (HasFailure())
            return;
        best = value;
    }
    std::printf("%d kills survived, %d of them with a save under way; best on disk %d\n", kKills,
                midSave, best);
}
