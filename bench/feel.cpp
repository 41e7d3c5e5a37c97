// What the player waits for, as the X server sees it: a key press to new pixels, a launch to
// the first picture, and the rhythm of the fall and of the clearings on screen. Keys go in
// through XTEST; DAMAGE on the root window reports every drawing as it happens, and the well's
// cell geometry (shared with feel_baseline.cpp) says what a drawing shows. Times are
// CLOCK_MONOTONIC when the tool reads the event. The exit status only says whether every figure
// could be taken.
// Usage, under an X server whose screen holds the whole window (scripts/bench.sh feel):
//   tumblegem_feel [--launches=N] [--falls=N] [--pauses=N] [--presses=N] PROGRAM
// Pieces fall unsteered until the falls and the clearing pauses asked for are timed. --pauses is
// 0 unless given, as the baselines never clear; scripts/bench.sh feel asks the game for 24.
#include "game/Constants.h"
#include "game/Layout.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <numeric>
#include <poll.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kColumns = kWellColumns, kFirstRow = kFirstVisibleRow, kRows = kWellRows;
constexpr int kViewWidth = static_cast<int>(kViewRight);
// The first picture is the title screen's background, or the baselines' empty well.
constexpr unsigned long kEmptyCell = 0xffffff, kTitleBackground = 0xdcdcff;
constexpr double kQuietMs = 10;   // a drawing burst has ended after this long without damage
constexpr double kStuckMs = 1500; // no fall this long: the round is over, start another
constexpr double kPulseMs = kPulseRate / 1e3, kPauseMs = CLEAR_PAUSE / 1e3;
constexpr double kPressEarliest = 50, kPressLatest = 300; // presses: after a fall

struct Event {
    enum Kind { kDamage, kMapped, kGone } kind;
    double t;
    Window window;
    int x, y, w, h; // damage, in the program window's coordinates
};
using Grid = std::array<std::array<bool, kRows>, kColumns>; // true where a cell holds something

Display* dpy = nullptr;
Window root = 0, win = 0;
XWindowAttributes frame{};
pid_t pid = -1;
int damageBase = 0, scale = 1, viewTop = 0, missed = 0, clearings = 0;
std::deque<Event> queue;
Grid grid{};
std::vector<double> intervals, pauses, keys;

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

// Says why a figure cannot be taken.
bool Fail(const char* why) {
    std::fprintf(stderr, "%s\n", why);
    return false;
}

// How close the times between drawings keep to the game's own.
void Rhythm(const char* what, const std::vector<double>& ms, double goal, const char* note) {
    std::vector<double> off;
    for (double v : ms)
        off.push_back(std::fabs(v - goal));
    std::printf("%s: mean %.3f ms, median distance from %.0f ms %.3f ms, 90%% within %.3f ms "
                "(%zu intervals%s)\n",
                what, std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size()),
                goal, Percentile(off, 0.5), Percentile(off, 0.9), ms.size(), note);
}

// The next event, stamped when it was read from the server; false at the deadline. Damage
// comes in the program window's coordinates, and only where it meets that window.
bool Next(double deadline, Event& out) {
    for (;;) {
        while (XPending(dpy) > 0) {
            XEvent x;
            XNextEvent(dpy, &x);
            const double t = Now();
            if (x.type == damageBase + XDamageNotify) {
                const XRectangle& a = reinterpret_cast<XDamageNotifyEvent*>(&x)->area;
                queue.push_back({Event::kDamage, t, root, a.x, a.y, a.width, a.height});
            } else if (x.type == MapNotify || x.type == DestroyNotify) {
                queue.push_back({x.type == MapNotify ? Event::kMapped : Event::kGone, t,
                                 x.xmap.window, 0, 0, 0, 0});
            }
        }
        if (queue.empty()) {
            const double left = deadline - Now();
            if (left <= 0)
                return false;
            pollfd p{ConnectionNumber(dpy), POLLIN, 0};
            poll(&p, 1, static_cast<int>(std::ceil(left)));
            continue;
        }
        out = queue.front();
        queue.pop_front();
        if (out.kind != Event::kDamage)
            return true;
        out.x -= frame.x;
        out.y -= frame.y;
        if (win != 0 && out.x < frame.width && out.x + out.w > 0 && out.y < frame.height &&
            out.y + out.h > 0)
            return true;
    }
}

void Settle(double ms) {
    Event e{};
    for (const double end = Now() + ms; Next(end, e);) {
    }
}

unsigned long PixelAt(int x, int y) {
    XImage* image = XGetImage(dpy, win, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

bool Snapshot(Grid& g) {
    XImage* image = XGetImage(dpy, win, 0, viewTop, kViewWidth * scale, kRows * kCellSize * scale,
                              AllPlanes, ZPixmap);
    if (image == nullptr)
        return Fail("cannot read the view: is the window wholly on the screen?");
    for (int x = 0; x < kColumns; ++x) {
        for (int y = kFirstRow; y < kRows; ++y) {
            const BPoint c = GemCenter(x, y);
            const unsigned long pixel =
                XGetPixel(image, static_cast<int>(c.x) * scale, static_cast<int>(c.y) * scale);
            g[x][y] = (pixel & 0xffffff) != kEmptyCell;
        }
    }
    XDestroyImage(image);
    return true;
}

pid_t PidOf(Window w) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    pid_t found = -1;
    if (XGetWindowProperty(dpy, w, XInternAtom(dpy, "_NET_WM_PID", False), 0, 1, False, XA_CARDINAL,
                           &type, &format, &count, &after, &data) == Success &&
        data != nullptr && count == 1 && format == 32)
        found = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
    XFree(data);
    return found;
}

// Presses the keys in order and releases them in reverse; the time the press was sent.
double Keys(std::initializer_list<KeySym> syms) {
    for (KeySym s : syms)
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, s), True, 0);
    for (auto s = std::rbegin(syms); s != std::rend(syms); ++s)
        XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, *s), False, 0);
    const double sent = Now();
    XFlush(dpy);
    return sent;
}

// Starts the program in a folder of its own; the time from just before the fork to the damage
// after which its window shows the first picture, or a negative number.
double Launch(const char* program, const std::filesystem::path& run) {
    mkdir(run.c_str(), 0700);
    win = 0;
    const double start = Now();
    if ((pid = fork()) == 0) {
        setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
        if (chdir(run.c_str()) != 0)
            _exit(127);
        dup2(2, 1); // our standard output carries the figures alone
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    for (Event e{}; Now() < start + 30000;) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            std::fprintf(stderr, "the program ended before its first picture\n");
            return -1;
        }
        if (!Next(std::min(start + 30000, Now() + 100), e))
            continue;
        if (e.kind == Event::kMapped && PidOf(e.window) == pid) {
            win = e.window;
            XGetWindowAttributes(dpy, win, &frame);
            scale = std::max(1, frame.width / kViewWidth);
        } else if (e.kind == Event::kDamage && win != 0) {
            const unsigned long probe = PixelAt(frame.width / 2, frame.height - 100 * scale);
            if (probe == kTitleBackground || probe == kEmptyCell)
                return e.t - start;
        }
    }
    std::fprintf(stderr, "no first picture on the screen within 30 s\n");
    return -1;
}

void Kill() {
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    Event e{};
    for (const double end = Now() + 5000; win != 0 && Next(end, e);)
        if (e.kind == Event::kGone && e.window == win)
            break;
    Settle(100); // the screen beneath is repainted
}

// Counts the cells a drawing emptied and filled, and finds the lowest change. Whether it was a
// fall: everything that changed is in one column, whose lowest change is a cell newly filled
// right under one filled before.
bool Compare(const Grid& before, const Grid& after, int& emptied, int& filled, int& column,
             int& bottom) {
    bool oneColumn = true;
    emptied = filled = 0;
    column = bottom = -1;
    for (int x = 0; x < kColumns; ++x) {
        for (int y = kFirstRow; y < kRows; ++y) {
            if (before[x][y] == after[x][y])
                continue;
            ++(after[x][y] ? filled : emptied);
            oneColumn = oneColumn && (column < 0 || column == x);
            column = x;
            bottom = y;
        }
    }
    return oneColumn && column >= 0 && after[column][bottom] && bottom > kFirstRow &&
           before[column][bottom - 1];
}

// The delay of a press after the fall, or -1 where the piece cannot move (it may still reach
// into the hidden rows, or both sides are blocked); sets the column to watch.
double PlanPress(const Grid& g, int x, int bottom, std::mt19937& random, int& destX) {
    const int top = bottom - kPieceGems + 1;
    std::vector<int> free;
    for (int to : {x - 1, x + 1}) {
        bool clear = top > kFirstRow && to >= 0 && to < kColumns;
        for (int y = top; clear && y <= bottom; ++y)
            clear = !g[to][y];
        if (clear)
            free.push_back(to);
    }
    if (free.empty())
        return -1;
    destX = free[random() % free.size()];
    return std::uniform_real_distribution<double>(kPressEarliest, kPressLatest)(random);
}

// Ends the round if one is on, starts another and takes its first picture, which fills the
// whole view and shows an empty well but for the entering piece.
bool NewRound() {
    Keys({XK_Escape});
    Settle(100);
    Keys({XK_Control_L, XK_n});
    viewTop = frame.height;
    Event e{};
    for (double end = Now() + 2000; Next(end, e);) {
        if (e.kind == Event::kDamage) {
            viewTop = std::min(viewTop, e.y);
            end = e.t + kQuietMs;
        }
    }
    if (!Snapshot(grid))
        return false;
    int filled = 0;
    for (const auto& column : grid)
        filled += static_cast<int>(std::count(column.begin(), column.end(), true));
    if (filled > 3)
        std::fprintf(stderr, "no empty well in a view at y=%d (%d filled)\n", viewTop, filled);
    return filled <= 3;
}

// A round, focused and under way: first its falls alone, timing the falls and the clearings,
// then key presses between the falls.
bool Play(size_t falls, size_t wantedPauses, size_t presses) {
    XSetInputFocus(dpy, win, RevertToParent, CurrentTime);
    XWarpPointer(dpy, None, win, 0, 0, 0, 0, frame.width / 2, frame.height / 2);
    Settle(300);
    if (!NewRound())
        return false;
    std::mt19937 random(12);
    Event e{};
    double burstStart = -1, lastDamage = 0, pressAt = -1, pressedAt = 0, lastFall = Now();
    double fallAt = 0, stepAt = 0;
    int fallColumn = -1, fallBottom = -1, destX = 0, destY = 0, restarts = 0;
    KeySym pressKey = XK_Left;
    bool waiting = false;
    // Where a clearing is: cells emptied, then shown again shifted down, each followed by a
    // pause; after the last shift the next piece enters.
    enum { kNone, kCleared, kShifted } clearing = kNone;
    // Far more than a working program needs: one that stops answering does not hang us. Random
    // play clears every few pieces.
    const double giveUp = Now() + 30000 + 2000 * static_cast<double>(falls + presses) +
                          20000 * static_cast<double>(wantedPauses);
    while (intervals.size() < falls || pauses.size() < wantedPauses || keys.size() < presses) {
        if (Now() > giveUp)
            return Fail("too few falls, clearings or answered presses in time");
        const bool pressing = intervals.size() >= falls && pauses.size() >= wantedPauses;
        double deadline = lastFall + kStuckMs;
        if (burstStart >= 0)
            deadline = std::min(deadline, lastDamage + kQuietMs);
        else if (pressAt >= 0)
            deadline = std::min(deadline, pressAt);
        if (Next(deadline, e)) {
            if (e.kind == Event::kGone && e.window == win)
                return false;
            if (e.kind != Event::kDamage || e.y + e.h <= viewTop)
                continue;
            if (burstStart < 0)
                burstStart = e.t;
            lastDamage = e.t;
            const BPoint c = GemCenter(destX, destY);
            const int cx = static_cast<int>(c.x) * scale,
                      cy = viewTop + static_cast<int>(c.y) * scale;
            if (waiting && cx >= e.x && cx < e.x + e.w && cy >= e.y && cy < e.y + e.h &&
                PixelAt(cx, cy) != kEmptyCell) {
                keys.push_back(e.t - pressedAt);
                waiting = false;
            }
            continue;
        }
        const double now = Now();
        if (burstStart >= 0 && now - lastDamage >= kQuietMs) {
            Grid after{};
            if (!Snapshot(after))
                return false;
            int emptied = 0, filled = 0, x = 0, y = 0;
            const bool fall = Compare(grid, after, emptied, filled, x, y);
            // Nothing but a clearing only empties cells; the next piece shows one gem.
            const bool clears = emptied > 0 && filled == 0, enters = emptied == 0 && filled == 1;
            if (!pressing && clearing != kNone && (clearing == kCleared || clears || enters))
                pauses.push_back(burstStart - stepAt);
            clearings += !pressing && clearing == kNone && clears;
            clearing = clearing == kCleared ? kShifted : clears ? kCleared : kNone;
            stepAt = burstStart;
            pressAt = -1; // planned for a piece that has since changed
            if (fall) {
                if (!pressing && x == fallColumn && y == fallBottom + 1)
                    intervals.push_back(burstStart - fallAt);
                fallAt = lastFall = burstStart;
                restarts = 0;
                missed += waiting ? 1 : 0;
                waiting = false;
                const double delay = pressing ? PlanPress(after, x, y, random, destX) : -1;
                destY = y;
                pressAt = delay >= 0 ? burstStart + delay : -1;
                pressKey = destX < x ? XK_Left : XK_Right;
            }
            fallColumn = fall ? x : -1;
            fallBottom = fall ? y : -1;
            grid = after;
            burstStart = -1;
        } else if (burstStart < 0 && pressAt >= 0 && now >= pressAt) {
            pressAt = -1;
            waiting = true;
            pressedAt = Keys({pressKey});
        } else if (now - lastFall >= kStuckMs) {
            if (++restarts > 5)
                return Fail("nothing falls, even in a new round");
            if (!NewRound())
                return false;
            lastFall = Now();
            burstStart = pressAt = -1;
            clearing = kNone;
            waiting = false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    size_t launches = 15, falls = 50, wantedPauses = 0, presses = 300;
    const char* program = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::sscanf(argv[i], "--launches=%zu", &launches) != 1 &&
            std::sscanf(argv[i], "--falls=%zu", &falls) != 1 &&
            std::sscanf(argv[i], "--pauses=%zu", &wantedPauses) != 1 &&
            std::sscanf(argv[i], "--presses=%zu", &presses) != 1)
            program = argv[i];
    }
    int error = 0;
    dpy = XOpenDisplay(nullptr);
    if (program == nullptr || dpy == nullptr || launches == 0 ||
        !XTestQueryExtension(dpy, &error, &error, &error, &error) ||
        !XDamageQueryExtension(dpy, &damageBase, &error)) {
        std::fprintf(stderr,
                     "usage: %s [--launches=N] [--falls=N] [--pauses=N] [--presses=N] "
                     "PROGRAM, on X with XTEST and DAMAGE\n",
                     argv[0]);
        return 2;
    }
    root = DefaultRootWindow(dpy);
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; }); // a killed program's windows
    // Damage on the root window reports the drawing in every window, the very first included.
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XDamageCreate(dpy, root, XDamageReportRawRectangles);
    XSync(dpy, False);
    // A copy in a folder of its own: the game keeps its score file beside itself.
    std::string pattern = (std::filesystem::temp_directory_path() / "tumblegem_feel.XXXXXX");
    const std::filesystem::path scratch = mkdtemp(pattern.data());
    const std::filesystem::path copy = scratch / std::filesystem::path(program).filename();
    std::filesystem::copy_file(program, copy);
    std::vector<double> starts;
    bool ok = true;
    for (size_t i = 0; i < launches && ok; ++i) {
        const double ms = Launch(copy.c_str(), scratch / ("run" + std::to_string(i + 1)));
        ok = ms >= 0 && (i + 1 < launches || falls + wantedPauses + presses == 0 ||
                         Play(falls, wantedPauses, presses));
        if (ms >= 0)
            starts.push_back(ms);
        Kill();
    }
    std::printf("%s at device pixel ratio %d (window %dx%d)\n",
                std::filesystem::path(program).filename().c_str(), scale, frame.width,
                frame.height);
    std::printf("launch to first picture: median %.1f ms, range %.1f to %.1f, middle half "
                "%.1f to %.1f (%zu launches)\n",
                Percentile(starts, 0.5), Percentile(starts, 0), Percentile(starts, 1),
                Percentile(starts, 0.25), Percentile(starts, 0.75), starts.size());
    Rhythm("pulse on screen", intervals, kPulseMs, "");
    Rhythm("clearing pauses on screen", pauses, kPauseMs,
           (", " + std::to_string(clearings) + " clearings").c_str());
    std::printf("key to pixels: median %.2f ms, 90th percentile %.2f ms, 99th %.2f ms, worst "
                "%.2f ms (%zu presses; %d more went unanswered before the next fall)\n",
                Percentile(keys, 0.5), Percentile(keys, 0.9), Percentile(keys, 0.99),
                Percentile(keys, 1), keys.size(), missed);
    std::filesystem::remove_all(scratch);
    XCloseDisplay(dpy);
    return ok ? 0 : 1;
}
