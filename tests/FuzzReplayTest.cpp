// Every committed fuzz input, and every fault the fuzzer ever found, replays clean.
#include "fuzz/Actions.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

TEST(FuzzReplay, CorpusAndRegressionsKeepEveryInvariant) {
    ScratchDir dir;
    int inputs = 0;
    for (const char* folder : {"/corpus", "/regressions"}) {
        for (const auto& file :
             std::filesystem::directory_iterator(TUMBLEGEM_FUZZ_DIR + std::string(folder))) {
            if (file.path().filename() == "README")
                continue;
            std::ifstream in(file.path(), std::ios::binary);
            const std::string input{std::istreambuf_iterator<char>(in), {}};
            EXPECT_EQ(RunActions(reinterpret_cast<const uint8*>(input.data()), input.size()), "")
                << file.path();
            ++inputs;
        }
    }
    EXPECT_GE(inputs, 18) << "the seed corpus or the regressions are missing";
}
