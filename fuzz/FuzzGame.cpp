// libFuzzer entry: every input is a game played through RunActions; a broken invariant aborts.
#include "fuzz/Actions.h"
#include "tests/support/ScratchDir.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Qt may strip arguments it knows; libFuzzer's own stay untouched. Never deleted, like the
    // game's window, which it must outlive.
    static int argc = 1;
    static char name[] = "fuzz_game";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    // Games save in a folder of their own; libFuzzer is given absolute paths for its files.
    static ScratchDir folder;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string breach = RunActions(data, size);
    if (!breach.empty()) {
        std::fprintf(stderr, "fuzz_game: invariant broken: %s\n", breach.c_str());
        // Abort skips the exit handlers; the working directory is the scratch folder.
        std::filesystem::remove_all(std::filesystem::current_path());
        std::abort();
    }
    return 0;
}
