// Heap allocations per operation of a round, on a shown window with the pauses off, told apart
// by who asked: code built into this program (game/, render/, store/ and the kit) or a library
// (Qt, the C++ library). Exits 1 if our own code allocated during play.
// Usage: tumblegem_allocs [repetitions, default 200]; QT_SCALE_FACTOR=2 for ratio 2.
#include "platform/Snooze.h"
#include "tests/support/Fixture.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <new>
#include <random>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
extern const char __executable_start[], etext[]; // our code's bounds, from the linker
}

namespace {

// This thread only: Qt's helper threads are not the game's.
thread_local long tOurs = 0, tLibraries = 0;

void Count(const void* caller) {
    const auto* at = static_cast<const char*>(caller);
    ++(at >= __executable_start && at < etext ? tOurs : tLibraries);
}

void* New(size_t size, const void* caller) {
    Count(caller);
    if (void* p = __libc_malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

} // namespace

// Qt's containers and text engine allocate with malloc; the C++ library's new is replaced
// below, so each allocation counts once, at the code that asked for it. free stays glibc's.
extern "C" void* malloc(size_t size) {
    Count(__builtin_return_address(0));
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size) {
    Count(__builtin_return_address(0));
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* p, size_t size) {
    Count(__builtin_return_address(0));
    return __libc_realloc(p, size);
}
void* operator new(size_t size) {
    return New(size, __builtin_return_address(0));
}
void* operator new[](size_t size) {
    return New(size, __builtin_return_address(0));
}

namespace {

int gRepetitions = 200;
long gOursInPlay = 0;

// Counts op alone, prepare sets its stage; the first run fills Qt's caches and is not counted.
template <class Prepare, class Op>
void Report(const char* what, Prepare prepare, Op op, int times = gRepetitions) {
    long ours = 0, libraries = 0;
    for (int i = -1; i < times; ++i) {
        prepare();
        const long ours0 = tOurs, libraries0 = tLibraries;
        op();
        ours += i < 0 ? 0 : tOurs - ours0;
        libraries += i < 0 ? 0 : tLibraries - libraries0;
    }
    gOursInPlay += ours;
    std::printf("%-50s ours %.2f, Qt %.2f\n", what, static_cast<double>(ours) / times,
                static_cast<double>(libraries) / times);
}

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 1)
        gRepetitions = std::max(1, std::atoi(argv[1]));
    QApplication app(argc, argv);
    GameWindow game = MakeGameWindow(nullptr, true);
    TumbleView& view = *game.view;
    std::printf("allocations per operation at device pixel ratio %.2f, mean of %d\n",
                qApp->devicePixelRatio(), gRepetitions);
    SetSnoozeHook([](bigtime_t) {});
    view.highScore = std::numeric_limits<int32>::max(); // the score file stays untouched
    view.StartGame(); // its pulses never come: the event loop does not run
    const auto nothing = [] {};
    const BPoint kTextPen(10, kScoreStrip.bottom - 2); // on the score strip

    Report(
        "a move left", [&] { PlacePiece(view, 3, 10, "123"); }, [&] { view.MoveLeft(); });
    Report("a rotation", nothing, [&] { view.Rotate(); });
    Report(
        "a falling step", [&] { PlacePiece(view, 3, 5, "123"); }, [&] { view.DropSome(); });
    Report(
        "a landing without a run, the next piece entering",
        [&] {
            SetBoard(view, "1234567\n");
            PlacePiece(view, 0, kLastRow - 1, "234");
        },
        [&] { view.DropSome(); });
    // Each clearing drops the gem that completes the next run; the score, and so its line of
    // text, is new at every step.
    Report(
        "a landing that clears three times",
        [&] {
            SetBoard(view, "..6....\n"
                           "..2.3..\n"
                           ".112233\n");
            PlacePiece(view, 0, kLastRow, "451");
        },
        [&] { view.DropSome(); });
    Report(
        "a Redraw of a full well, without Sync",
        [&] {
            for (int x = 0; x < kWellColumns; ++x)
                for (int y = 0; y < kWellRows; ++y)
                    view.board[x][y] = static_cast<uint8>((x + 3 * y) % kGemValues + 1);
        },
        [&] { view.Redraw(); });
    char line[32] = {};
    int number = 0;
    Report(
        "a line of text not drawn before (DrawString)",
        [&] {
            std::snprintf(line, sizeof line, "Score: %d", ++number);
            view.MovePenTo(kTextPen);
        },
        [&] { view.DrawString(line); });
    std::mt19937 player(1);
    constexpr char kKeys[] = {B_LEFT_ARROW, B_RIGHT_ARROW, B_UP_ARROW, B_DOWN_ARROW};
    Report(
        "a random key and a pulse, a new round as one ends", nothing,
        [&] {
            if (view.gameState == kIdle)
                view.StartGame();
            view.KeyDown(&kKeys[player() % 4], 1);
            view.Pulse();
        },
        20 * gRepetitions);
    std::printf("our own code allocated %ld times in play\n", gOursInPlay);
    return gOursInPlay == 0 ? 0 : 1;
}
