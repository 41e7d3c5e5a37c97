// libFuzzer entry: every input is a game played through RunActions; a broken invariant aborts.
#include "fuzz/Actions.h"
#include "store/ScoreFile.h"
#include "tests/support/Fixture.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::string gFolder;
int gHome = -1; // libFuzzer's own working directory, where it reads and writes its files
int gScratch = -1;

void RemoveFolder() {
    if (gScratch >= 0) {
        unlinkat(gScratch, kScoreFileName, 0);
        unlinkat(gScratch, kScoreTempName, 0);
    }
    if (!gFolder.empty())
        rmdir(gFolder.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt may strip arguments it knows; libFuzzer's own stay untouched.
    static int argc = 1;
    static char name[] = "fuzz_game";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);

    // Games save in a folder of our own, entered only while a game is played.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tumblegem-fuzz-XXXXXX";
    gHome = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (gHome < 0 || mkdtemp(pattern.data()) == nullptr) {
        std::perror("fuzz_game: scratch folder");
        std::abort();
    }
    gFolder = pattern;
    gScratch = open(gFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (fchdir(gScratch) != 0)
        std::abort();
    // One view for the whole run, restarted for each input.
    static GameSession session(0, &PumpEvents);
    const std::string breach = RunActions(session, data, size);
    if (fchdir(gHome) != 0)
        std::abort();
    if (!breach.empty()) {
        std::fprintf(stderr, "fuzz_game: invariant broken: %s\n", breach.c_str());
        RemoveFolder(); // abort skips the exit handlers
        std::abort();
    }
    return 0;
}
