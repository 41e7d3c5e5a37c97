// libFuzzer entry: every input is a game played through RunActions; a broken invariant aborts.
#include "fuzz/Actions.h"
#include "store/ScoreFile.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string gFolder;

void PumpEvents() {
    QCoreApplication::sendPostedEvents();
}

void RemoveFolder() {
    unlink(kScoreFileName);
    unlink(kScoreTempName);
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

    // Saves go to a folder of our own, removed at exit.
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tumblegem-fuzz-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
        std::perror("fuzz_game: scratch folder");
        std::abort();
    }
    gFolder = pattern;
    std::atexit(RemoveFolder);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string breach = RunActions(data, size, &PumpEvents);
    if (!breach.empty()) {
        std::fprintf(stderr, "fuzz_game: invariant broken: %s\n", breach.c_str());
        std::abort();
    }
    return 0;
}
