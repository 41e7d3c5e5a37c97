// The game's timing as a player meets it, on a shown window (offscreen unless QT_QPA_PLATFORM
// says otherwise): the pulse period while pieces only fall, then each clearing pause, timed
// around the real sleep. Clocks are CLOCK_MONOTONIC. Figures, not pass/fail.
// Usage: tumblegem_timing [periods, default 40] [landings that clear three times, default 4]
#include "platform/Snooze.h"
#include "tests/support/Fixture.h"

#include <QApplication>
#include <QEventLoop>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <numeric>
#include <vector>

namespace {

std::vector<double> gPauses;

double Ms(bigtime_t us) {
    return static_cast<double>(us) / 1000.0;
}

bigtime_t Now() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void Print(const char* what, std::vector<double> ms, double target) {
    std::vector<double> off;
    for (double v : ms)
        off.push_back(std::fabs(v - target));
    std::sort(ms.begin(), ms.end());
    std::sort(off.begin(), off.end());
    if (const size_t n = ms.size(); n > 0)
        std::printf("%s: n=%zu mean %.3f ms, median %.3f, min %.3f, max %.3f; distance from %.0f "
                    "ms: median %.3f, 90%% within %.3f, worst %.3f ms\n",
                    what, n, std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(n),
                    ms[n / 2], ms[0], ms[n - 1], target, off[n / 2], off[n * 9 / 10], off[n - 1]);
}

class TimedView : public TumbleView {
public:
    TimedView() : TumbleView(kViewFrame) {}

    void Pulse() override {
        pulses.push_back(Now());
        if (clearing) {
            // Row 19 holds 1 1 | 2 2 | 3 3; each clearing drops the gem that completes the next.
            SetBoard(*this, "..6....\n"
                            "..2.3..\n"
                            ".112233\n");
            PlacePiece(*this, 0, kLastRow, "451");
        } else if (piecePos[5] == kPieceGems - 1) {
            // A new piece: colors that never match stack up, so nothing but the fall takes time.
            pieceColor[0] = 1;
            pieceColor[1] = 2;
            pieceColor[2] = 3;
        }
        TumbleView::Pulse();
    }

    std::vector<bigtime_t> pulses;
    bool clearing = false;
};

void TimedSnooze(bigtime_t microseconds) {
    SetSnoozeHook(nullptr);
    const bigtime_t start = Now();
    snooze(microseconds);
    gPauses.push_back(Ms(Now() - start));
    SetSnoozeHook(TimedSnooze);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const size_t periods = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const size_t landings = argc > 2 ? std::max(1, std::atoi(argv[2])) : 4;
    QApplication app(argc, argv);
    std::printf("platform %s\n", qPrintable(QApplication::platformName()));
    auto* view = new TimedView;
    GameWindow game = MakeGameWindow(view, true);
    view->highScore = std::numeric_limits<int32>::max(); // the score file stays untouched
    view->StartGame();
    while (view->pulses.size() <= periods && view->gameState != kIdle)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::vector<double> between;
    for (size_t i = 1; i < view->pulses.size(); ++i)
        between.push_back(Ms(view->pulses[i] - view->pulses[i - 1]));
    Print("pulse period", between, Ms(kPulseRate));

    view->clearing = true;
    SetSnoozeHook(TimedSnooze);
    const size_t first = view->pulses.size();
    while (view->pulses.size() < first + landings)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    SetSnoozeHook(nullptr);
    Print("clearing pause", gPauses, Ms(CLEAR_PAUSE));
    std::printf("clearing steps: %zu\n", gPauses.size() / 2);
    return 0;
}
