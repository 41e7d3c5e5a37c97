// What the game costs while nothing happens: CPU time and wake-ups (context switches of all
// its threads) over a stretch of the title screen and of a paused round.
// Usage: tumblegem_idle [seconds per phase, default 60]
#include "tests/support/Fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <sys/resource.h>

namespace {

void Wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void Measure(const char* what, int seconds) {
    Wait(1000); // whatever the last step started settles first
    const auto sample = [](double& cpu, long& switches) {
        rusage u{};
        getrusage(RUSAGE_SELF, &u);
        cpu = static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
              static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
        switches = u.ru_nvcsw + u.ru_nivcsw;
    };
    double cpu0 = 0, cpu = 0;
    long switches0 = 0, switches = 0;
    sample(cpu0, switches0);
    Wait(seconds * 1000); // its own timer is one of the wake-ups
    sample(cpu, switches);
    std::printf("%s: %d s, cpu %.1f ms = %.4f%% of a core, %ld wake-ups = %.2f per second\n", what,
                seconds, (cpu - cpu0) * 1000, (cpu - cpu0) / seconds * 100, switches - switches0,
                static_cast<double>(switches - switches0) / seconds);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    QApplication app(argc, argv);
    std::printf("platform %s\n", qPrintable(QApplication::platformName()));
    GameWindow game = MakeGameWindow(nullptr, true);
    game.view->highScore = std::numeric_limits<int32>::max(); // the score file stays untouched
    Measure("title screen", seconds);
    game.view->StartGame();
    const char enter = B_ENTER;
    game.view->KeyDown(&enter, 1);
    Measure("paused round", seconds);
    return 0;
}
