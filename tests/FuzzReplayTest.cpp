// Every committed fuzz input, and every fault the fuzzer ever found, replays clean. The soak
// (label long) plays a million ticks of random rounds through the same interpreter.
#include "fuzz/Actions.h"
#include "tests/support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

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

// Rounds of a player who mostly waits and steers, and now and then does anything at all.
// Once warm, the process's resident memory stays flat.
TEST(Soak, AMillionTicksOfRandomRounds) {
    const auto residentKiB = [] {
        long pages = 0, resident = -1;
        std::ifstream("/proc/self/statm") >> pages >> resident;
        return resident * 4;
    };
    ScratchDir dir;
    std::mt19937 rng(1);
    long warmKiB = 0;
    while (gPlayed.ticks < 1000000) {
        std::vector<uint8> input = {static_cast<uint8>(rng()), static_cast<uint8>(rng())};
        while (input.size() < 4096) {
            const unsigned roll = rng() % 64;
            if (roll < 24)
                input.push_back(kOpTick);
            else if (roll < 60) // an arrow
                input.insert(input.end(), {kOpTableKey, static_cast<uint8>(2 + roll % 4)});
            else // a new round when Idle, or the first byte of any action
                input.push_back(roll < 63 ? uint8{kOpNewGame} : static_cast<uint8>(rng()));
        }
        ASSERT_EQ(RunActions(input.data(), input.size()), "") << gPlayed.ticks << " ticks";
        warmKiB = warmKiB > 0 ? warmKiB : residentKiB();
    }
    std::printf("soak: %lld ticks, %lld clearings, %ld KiB after the first input, %ld at the end\n",
                gPlayed.ticks, gPlayed.clearings, warmKiB, residentKiB());
    EXPECT_LE(residentKiB(), warmKiB + 1024);
}
