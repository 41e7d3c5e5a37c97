// The game's timing as a player meets it, on the current Qt platform (offscreen unless
// QT_QPA_PLATFORM says otherwise):
//   - the pulse period over a round of plain falling,
//   - each clearing pause, timed around the real sleep,
//   - process start to the first frame of the view (a fresh process, several times).
// All clocks are CLOCK_MONOTONIC. Figures, not pass/fail.
#include "bench/LoadAverage.h"
#include "bench/Scenes.h"

#include "platform/Snooze.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kPulsesMeasured = 40; // periods, after the first pulse
constexpr int kChainLandings = 4;   // three clearing steps each
constexpr int kStartRuns = 11;
constexpr const char* kChildFlag = "--first-frame";

struct Stats {
    double mean = 0, min = 0, max = 0, worst = 0, median = 0;
    double typical = 0, p90 = 0; // median and 90th percentile of the distance from target
};

// Figures in milliseconds; worst is the largest distance from target.
Stats Summarise(std::vector<double> ms, double target) {
    Stats s;
    if (ms.empty())
        return s;
    double sum = 0;
    for (double v : ms) {
        sum += v;
        s.worst = std::max(s.worst, std::fabs(v - target));
    }
    std::vector<double> off;
    for (double v : ms)
        off.push_back(std::fabs(v - target));
    std::sort(off.begin(), off.end());
    s.typical = off[off.size() / 2];
    s.p90 = off[off.size() * 9 / 10];
    std::sort(ms.begin(), ms.end());
    s.mean = sum / static_cast<double>(ms.size());
    s.min = ms.front();
    s.max = ms.back();
    s.median = ms[ms.size() / 2];
    return s;
}

void Print(const char* what, const std::vector<double>& ms, double target) {
    const Stats s = Summarise(ms, target);
    std::printf("%s: n=%zu mean %.3f ms, median %.3f, min %.3f, max %.3f; distance from %.0f ms: "
                "median %.3f, 90%% within %.3f, worst %.3f ms\n",
                what, ms.size(), s.mean, s.median, s.min, s.max, target, s.typical, s.p90, s.worst);
}

double Ms(bigtime_t us) {
    return static_cast<double>(us) / 1000.0;
}

// Records when each pulse arrives; in the clearing phase each pulse lands a piece that clears
// three times in a row.
class TimedView : public TumbleView {
public:
    TimedView() : TumbleView(kViewFrame) {}

    void Pulse() override {
        pulses.push_back(system_time());
        if (chains) {
            SetChainLanding(*this);
        } else if (piecePos[5] == kPieceGems - 1) {
            // Colors that never match stack up without clearing, so nothing but the pulse
            // takes time.
            pieceColor[0] = 1;
            pieceColor[1] = 2;
            pieceColor[2] = 3;
        }
        TumbleView::Pulse();
    }

    std::vector<bigtime_t> pulses;
    bool chains = false;
};

std::vector<double> gPauses;
std::vector<bigtime_t> gPauseStarts;

void TimedSnooze(bigtime_t microseconds) {
    SetSnoozeHook(nullptr);
    const bigtime_t start = system_time();
    snooze(microseconds);
    gPauses.push_back(Ms(system_time() - start));
    gPauseStarts.push_back(start);
    SetSnoozeHook(TimedSnooze);
}

void RunUntil(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    check.start(50);
    loop.exec();
}

void MeasureRound() {
    auto* view = new TimedView;
    Stage stage = MakeGameWindow(view, true);
    view->highScore = std::numeric_limits<int32>::max(); // keep the score file untouched
    view->pulses.reserve(kPulsesMeasured + 64);
    view->StartGame();
    RunUntil([&] { return view->pulses.size() > kPulsesMeasured || view->gameState == kIdle; });

    std::vector<double> periods;
    for (size_t i = 1; i < view->pulses.size(); ++i)
        periods.push_back(Ms(view->pulses[i] - view->pulses[i - 1]));
    Print("pulse period", periods, Ms(kPulseRate));
    if (std::getenv("TUMBLEGEM_TIMING_VERBOSE") != nullptr)
        for (double p : periods)
            std::printf("  %.3f\n", p);
    // Lateness against the schedule the first pulse sets: drift shows here.
    std::vector<double> late;
    for (size_t i = 1; i < view->pulses.size(); ++i)
        late.push_back(
            Ms(view->pulses[i] - view->pulses[0] - static_cast<bigtime_t>(i) * kPulseRate));
    Print("pulse lateness against its schedule", late, 0);

    view->chains = true;
    SetSnoozeHook(TimedSnooze);
    const size_t firstChainPulse = view->pulses.size();
    RunUntil([&] { return view->pulses.size() >= firstChainPulse + kChainLandings; });
    SetSnoozeHook(nullptr);
    view->Window()->SetPulseRate(0);
    Print("clearing pause", gPauses, Ms(CLEAR_PAUSE));
    std::printf("clearing steps: %zu\n", gPauses.size() / 2);
    // Pause start to pause start: the pause plus one ShiftArray and one Redraw (or one Redraw
    // and the next search), i.e. how long each frame of a clearing stays on screen.
    std::vector<double> frames;
    for (size_t i = 1; i < gPauseStarts.size(); ++i) {
        const double gap = Ms(gPauseStarts[i] - gPauseStarts[i - 1]);
        if (gap < 2 * Ms(CLEAR_PAUSE)) // same landing
            frames.push_back(gap);
    }
    Print("clearing frame interval", frames, Ms(CLEAR_PAUSE));
}

// Child: starts like the game, prints when the first frame was drawn and when it was
// shown, then quits.
class FirstFrameView : public TumbleView {
public:
    FirstFrameView() : TumbleView(kViewFrame) {}
    void Draw(BRect update) override {
        TumbleView::Draw(update);
        if (drawn_)
            return;
        drawn_ = true;
        const bigtime_t drawnAt = system_time();
        // Queued: runs once this paint has been flushed to the window.
        QTimer::singleShot(0, [drawnAt] {
            std::printf("%lld %lld\n", static_cast<long long>(drawnAt),
                        static_cast<long long>(system_time()));
            std::fflush(stdout);
            QApplication::quit();
        });
    }

private:
    bool drawn_ = false;
};

int FirstFrameChild(int argc, char** argv) {
    QApplication app(argc, argv);
    BWindow window(kWindowFrame, "Tumblegem", B_TITLED_WINDOW, B_NOT_RESIZABLE | B_NOT_ZOOMABLE);
    window.AddChild(new FirstFrameView);
    window.Show();
    return QApplication::exec();
}

void MeasureStart(const char* self) {
    std::vector<double> drawn, shown, cpu;
    for (int run = 0; run < kStartRuns; ++run) {
        int out[2];
        if (pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* args[] = {const_cast<char*>(self), const_cast<char*>(kChildFlag), nullptr};
        pid_t pid = 0;
        const bigtime_t start = system_time();
        const int failed = posix_spawn(&pid, self, &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (failed != 0) {
            close(out[0]);
            return;
        }
        char line[128] = {};
        size_t got = 0;
        ssize_t n = 0;
        while (got < sizeof line - 1 && (n = read(out[0], line + got, sizeof line - 1 - got)) > 0)
            got += static_cast<size_t>(n);
        close(out[0]);
        int status = 0;
        rusage usage{};
        wait4(pid, &status, 0, &usage);
        long long drawnAt = 0, shownAt = 0;
        if (std::sscanf(line, "%lld %lld", &drawnAt, &shownAt) != 2)
            continue;
        drawn.push_back(Ms(drawnAt - start));
        // The child quits right after its first frame: its CPU time is the start-up's cost,
        // which, unlike the wall time, other processes on the machine hardly change.
        cpu.push_back(Ms(usage.ru_utime.tv_sec * 1000000 + usage.ru_utime.tv_usec +
                         usage.ru_stime.tv_sec * 1000000 + usage.ru_stime.tv_usec));
        shown.push_back(Ms(shownAt - start));
    }
    Print("start to first frame drawn", drawn, 0);
    Print("start to first frame shown", shown, 0);
    Print("CPU time of a start to its first frame", cpu, 0);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 1 && std::strcmp(argv[1], kChildFlag) == 0)
        return FirstFrameChild(argc, argv);
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
        return 1;
    QApplication app(argc, argv);
    std::printf("platform %s, load average %s\n", qPrintable(QApplication::platformName()),
                LoadAverage().c_str());
    MeasureRound();
    MeasureStart(self);
    std::printf("load average after: %s\n", LoadAverage().c_str());
    return 0;
}
