// What the game costs while nothing happens: CPU time and wake-ups over a stretch of the title
// screen, of a paused round, and (for comparison) of the title screen after a round, when the
// round's 400 ms pulse still arrives and is ignored.
// Usage: tumblegem_idle [seconds per phase, default 60]
#include "bench/Scenes.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <limits>
#include <string>
#include <sys/resource.h>

namespace {

constexpr int kDefaultSeconds = 60;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Every time a thread of ours goes to sleep and is woken again counts as one switch.
long long ContextSwitches() {
    long long total = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    while (dirent* entry = readdir(tasks)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream status(std::string("/proc/self/task/") + entry->d_name + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0)
                total += std::atoll(line.substr(line.find(':') + 1).c_str());
        }
    }
    closedir(tasks);
    return total;
}

int ThreadCount() {
    int n = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr)
        return -1;
    while (dirent* entry = readdir(tasks))
        n += entry->d_name[0] != '.';
    closedir(tasks);
    return n;
}

void Measure(const char* what, int seconds) {
    // Let whatever the last step started settle before measuring.
    QEventLoop settle;
    QTimer::singleShot(1000, &settle, &QEventLoop::quit);
    settle.exec();

    const double cpu0 = CpuSeconds();
    const long long switches0 = ContextSwitches();
    QEventLoop loop;
    // One wake-up of our own ends the phase; it is counted below.
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = CpuSeconds() - cpu0;
    const long long switches = ContextSwitches() - switches0;
    std::printf("%s: %d s, cpu %.1f ms = %.4f%% of a core, %lld wake-ups = %.2f per second "
                "(%d threads)\n",
                what, seconds, cpu * 1000, cpu / seconds * 100, switches,
                static_cast<double>(switches) / seconds, ThreadCount());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultSeconds;
    QApplication app(argc, argv);
    std::printf("platform %s\n", qPrintable(QApplication::platformName()));
    Stage stage = MakeGameWindow(nullptr, true);
    TumbleView& view = *stage.view;
    view.highScore = std::numeric_limits<int32>::max(); // keep the score file untouched

    Measure("title screen", seconds);

    view.StartGame();
    const char enter = B_ENTER;
    view.KeyDown(&enter, 1);
    Measure("paused round", seconds);

    // Ended from a running round, so the round's pulse is still set.
    const char escape = B_ESCAPE;
    view.KeyDown(&enter, 1);
    view.KeyDown(&escape, 1);
    QApplication::processEvents();
    Measure("title screen after a round (400 ms pulse, ignored)", std::max(1, seconds / 4));
    return 0;
}
