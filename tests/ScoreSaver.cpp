// Helper of the crash-safety test: saves ever larger best scores in the working directory,
// as fast as it can, until it is killed.
// Usage: score_saver START PROGRESS_FILE
// Before each save the value about to be written goes to PROGRESS_FILE (8 bytes), so the
// test knows the largest value that can be on disk. After the first save completes, one
// byte on stdout tells the test that saving is under way.
#include "store/ScoreFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: score_saver START PROGRESS_FILE\n");
        return 2;
    }
    int64_t value = std::atoll(argv[1]);
    const int progress = open(argv[2], O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (progress < 0)
        return 1;
    bool told = false;
    for (;; ++value) {
        if (value > INT32_MAX)
            return 1;
        if (pwrite(progress, &value, sizeof value, 0) != sizeof value)
            return 1;
        // What SaveHighScore does, without a view around it.
        if (!WriteScoreFile(kScoreFileName, kScoreTempName, static_cast<int32>(value)))
            return 1;
        if (!told) {
            told = write(STDOUT_FILENO, "s", 1) == 1;
            if (!told)
                return 1;
        }
    }
}
