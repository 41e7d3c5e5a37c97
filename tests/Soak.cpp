// A random player on a headless game for many ticks: every invariant holds throughout, and
// once warmed up the process's resident memory does not grow.
// Usage: soak TICKS [SEED]
#include "fuzz/Actions.h"
#include "platform/Window.h"
#include "tests/support/Fixture.h"
#include "tests/support/ScratchDir.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

constexpr long long kWarmupTicks = 1000;
constexpr long kSlackKiB = 1024;
constexpr int kPumpEvery = 64; // steps between deliveries of posted window events

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// One step of a player who mostly waits and steers, sometimes pauses, rarely gives up.
bool Play(GameSession& s, std::mt19937& rng) {
    static const char keys[] = {B_LEFT_ARROW, B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW};
    TumbleView& v = s.View();
    if (v.gameState == kIdle)
        return s.NewGame();
    const unsigned roll = rng() % 1000;
    if (v.gameState == kPaused) {
        // No pulses while paused; the player comes back after a while.
        const char enter = B_ENTER;
        return roll < 100 ? s.Key(&enter, 1) : true;
    }
    if (roll < 600)
        return s.Tick();
    if (roll < 990)
        return s.Key(&keys[roll % 4], 1);
    if (roll < 996) {
        const char enter = B_ENTER;
        return s.Key(&enter, 1);
    }
    if (roll < 998) {
        const char escape = B_ESCAPE;
        return s.Key(&escape, 1);
    }
    const char other[] = {static_cast<char>(rng()), static_cast<char>(rng())};
    return s.Key(other, 1 + static_cast<int32>(roll % 2));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak TICKS [SEED]\n");
        return 2;
    }
    const long long ticks = std::atoll(argv[1]);
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 1u;
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    ScratchDir dir;
    GameSession s(seed, &PumpEvents);
    std::mt19937 rng(seed);

    long warmKiB = -1;
    long long steps = 0;
    while (s.Ticks() < ticks) {
        if (!Play(s, rng) || (++steps % kPumpEvery == 0 && !s.Pump())) {
            std::fprintf(stderr, "soak: invariant broken after %lld ticks: %s\n", s.Ticks(),
                         s.Breach().c_str());
            return 1;
        }
        if (warmKiB < 0 && s.Ticks() >= kWarmupTicks)
            warmKiB = ResidentKiB();
    }
    const long endKiB = ResidentKiB();
    std::printf("soak: %lld ticks, %lld landings, %lld rounds; VmRSS %ld KiB after %lld ticks, "
                "%ld KiB at the end\n",
                s.Ticks(), s.Landings(), s.Rounds(), warmKiB, kWarmupTicks, endKiB);
    if (warmKiB < 0 || endKiB < 0 || endKiB > warmKiB + kSlackKiB) {
        std::fprintf(stderr, "soak: resident memory grew by more than %ld KiB\n", kSlackKiB);
        return 1;
    }
    return 0;
}
