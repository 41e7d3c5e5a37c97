// What the player waits for, as the X server sees it: a key press to new pixels, a launch to
// the first picture, and the rhythm of the fall on screen. Keys go in through XTEST; the DAMAGE
// extension reports every drawing on the screen as it happens, and the well's cell geometry
// (shared by the game and bench/feel_baseline.cpp) says what a drawing shows. Times are taken
// when the tool reads the event, on CLOCK_MONOTONIC. Figures, not pass/fail: the exit status
// only says whether every figure could be taken.
// Usage, under an X server whose screen holds the whole window (scripts/bench.sh feel):
//   tumblegem_feel [--launches=N] [--falls=N] [--presses=N] PROGRAM
// With --falls=0 --presses=0 it takes only the launches.
#include "bench/LoadAverage.h"
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
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kColumns = kWellColumns, kFirstRow = kFirstVisibleRow, kRows = kWellRows;
constexpr int kViewWidth = static_cast<int>(kViewRight);
constexpr unsigned long kEmptyCell = 0xffffff;
// The first picture: the title screen's background, or the baseline's empty well.
constexpr unsigned long kFirstPicture[] = {0xdcdcff, kEmptyCell};
constexpr double kQuietMs = 10;   // a drawing burst has ended after this long without damage
constexpr double kStuckMs = 1500; // no fall this long: the round is over, start another
constexpr double kPulseMs = 400;
constexpr double kPressEarliest = 50, kPressLatest = 300; // after a fall

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Windows of a killed program vanish under our requests.
int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
    bool Meets(const Rect& o) const {
        return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h;
    }
};

struct Event {
    enum Kind { kDamage, kMapped, kGone } kind;
    double t;
    Window window;
    Rect area; // damage, in the program window's coordinates once taken from the queue
};

using Grid = std::array<std::array<bool, kRows>, kColumns>; // true where a cell holds something

// A fall: everything that changed is in one column, whose lowest change is a cell newly filled
// right under one that was filled before. Gives the column and that lowest cell's row.
bool IsFall(const Grid& before, const Grid& after, int& column, int& bottom) {
    column = bottom = -1;
    for (int x = 0; x < kColumns; ++x) {
        for (int y = kFirstRow; y < kRows; ++y) {
            if (before[x][y] == after[x][y])
                continue;
            if (column >= 0 && column != x)
                return false;
            column = x;
            bottom = y;
        }
    }
    return column >= 0 && after[column][bottom] && bottom - 1 >= kFirstRow &&
           before[column][bottom - 1];
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return NAN;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<size_t>(std::ceil(p * static_cast<double>(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

class Feel {
public:
    Feel(Display* display, fs::path scratch, fs::path program)
        : dpy_(display), root_(DefaultRootWindow(display)), scratch_(std::move(scratch)),
          program_(std::move(program)) {}

    bool Setup() {
        int error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(dpy_, &error, &error, &major, &minor) ||
            !XDamageQueryExtension(dpy_, &damageBase_, &error))
            return false;
        XSetErrorHandler(IgnoreXError);
        // Damage on the root window reports the drawing in every window, the very first
        // included, so none is missed while a new window is being found.
        XSelectInput(dpy_, root_, SubstructureNotifyMask);
        XDamageCreate(dpy_, root_, XDamageReportRawRectangles);
        XSync(dpy_, False);
        return true;
    }

    // Starts the program; the time from just before the fork to the damage after which its
    // window shows the first picture, or a negative number.
    double Launch() {
        const fs::path run = scratch_ / ("run" + std::to_string(++launches_));
        fs::create_directory(run);
        fs::permissions(run, fs::perms::owner_all, fs::perm_options::replace);
        win_ = 0;
        const double start = Now();
        pid_ = fork();
        if (pid_ == 0) {
            setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
            const int log =
                open((scratch_ / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
            if (chdir(scratch_.c_str()) != 0 || log < 0)
                _exit(127);
            dup2(log, 1);
            dup2(log, 2);
            execl(program_.c_str(), program_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (Event e{}; Now() < start + 30000;) {
            if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
                pid_ = -1;
                std::fprintf(stderr, "the program ended before its first picture\n");
                return -1;
            }
            if (!Next(std::min(start + 30000, Now() + 100), e))
                continue;
            if (e.kind == Event::kMapped && PidOf(e.window) == pid_) {
                win_ = e.window;
                XWindowAttributes a{};
                XGetWindowAttributes(dpy_, win_, &a);
                frame_ = {a.x, a.y, a.width, a.height};
                scale_ = std::max(1, a.width / kViewWidth);
            } else if (e.kind == Event::kDamage && win_ != 0) {
                const unsigned long probe = PixelAt(frame_.w / 2, frame_.h - 100 * scale_);
                if (std::count(std::begin(kFirstPicture), std::end(kFirstPicture), probe) > 0)
                    return e.t - start;
            }
        }
        std::fprintf(stderr, "no first picture on the screen within 30 s\n");
        return -1;
    }

    void Kill() {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
        Event e{};
        const double deadline = Now() + 5000;
        while (win_ != 0 && Next(deadline, e))
            if (e.kind == Event::kGone && e.window == win_)
                break;
        Settle(100); // the screen beneath is repainted
    }

    // A round, focused and under way: first its falls alone, then key presses between them.
    bool Play(size_t falls, size_t presses) {
        XSetInputFocus(dpy_, win_, RevertToParent, CurrentTime);
        XWarpPointer(dpy_, None, win_, 0, 0, 0, 0, frame_.w / 2, frame_.h / 2);
        Settle(300);
        Keys({XK_Control_L, XK_n});
        // The view's top: the first picture of the round fills the whole view.
        viewTop_ = frame_.h;
        Event e{};
        for (double end = Now() + 2000; Next(end, e);) {
            if (e.kind == Event::kDamage) {
                viewTop_ = std::min(viewTop_, e.area.y);
                end = e.t + kQuietMs;
            }
        }
        if (!Snapshot(grid_))
            return false;
        int filled = 0;
        for (const auto& column : grid_)
            filled += static_cast<int>(std::count(column.begin(), column.end(), true));
        if (filled > 3) {
            std::fprintf(stderr, "no empty well in a view at y=%d (%d cells filled)\n", viewTop_,
                         filled);
            return false;
        }
        std::mt19937 random(12);
        double burstStart = -1, lastDamage = 0, pressAt = -1, pressedAt = 0;
        double lastFall = Now(), fallAt = 0;
        int fallColumn = -1, fallBottom = -1, destX = 0, destY = 0;
        KeySym pressKey = XK_Left;
        bool waiting = false;
        int restarts = 0;
        // Far more than a working program needs: one that stops answering does not hang us.
        const double giveUp = Now() + 30000 + 2000 * static_cast<double>(falls + presses);
        while (intervals_.size() < falls || keys_.size() < presses) {
            if (Now() > giveUp) {
                std::fprintf(stderr, "too few falls or answered presses in time\n");
                return false;
            }
            const bool pressing = intervals_.size() >= falls;
            double deadline = lastFall + kStuckMs;
            if (burstStart >= 0)
                deadline = std::min(deadline, lastDamage + kQuietMs);
            else if (pressAt >= 0)
                deadline = std::min(deadline, pressAt);
            if (Next(deadline, e)) {
                if (e.kind == Event::kGone && e.window == win_)
                    return false;
                if (e.kind != Event::kDamage || e.area.y + e.area.h <= viewTop_)
                    continue;
                if (burstStart < 0)
                    burstStart = e.t;
                lastDamage = e.t;
                const BPoint center = GemCenter(destX, destY);
                const int cx = static_cast<int>(center.x) * scale_,
                          cy = viewTop_ + static_cast<int>(center.y) * scale_;
                if (waiting && e.area.Contains(cx, cy) && PixelAt(cx, cy) != kEmptyCell) {
                    keys_.push_back(e.t - pressedAt);
                    waiting = false;
                }
                continue;
            }
            const double now = Now();
            if (burstStart >= 0 && now - lastDamage >= kQuietMs) {
                Grid after{};
                if (!Snapshot(after))
                    return false;
                int x = 0, y = 0;
                if (IsFall(grid_, after, x, y)) {
                    if (!pressing && x == fallColumn && y == fallBottom + 1)
                        intervals_.push_back(burstStart - fallAt);
                    fallAt = lastFall = burstStart;
                    restarts = 0;
                    missed_ += waiting ? 1 : 0;
                    waiting = false;
                    pressAt = pressing ? PlanPress(after, x, y, random, destX, destY) : -1;
                    if (pressAt >= 0)
                        pressAt += burstStart;
                    pressKey = destX < x ? XK_Left : XK_Right;
                } else {
                    x = y = -1;
                    pressAt = -1; // planned for a piece that has since changed
                }
                fallColumn = x;
                fallBottom = y;
                grid_ = after;
                burstStart = -1;
            } else if (burstStart < 0 && pressAt >= 0 && now >= pressAt) {
                pressAt = -1;
                waiting = true;
                pressedAt = Keys({pressKey});
            } else if (now - lastFall >= kStuckMs) {
                if (++restarts > 5) {
                    std::fprintf(stderr, "nothing falls, even in a new round\n");
                    return false;
                }
                Keys({XK_Escape});
                Keys({XK_Control_L, XK_n});
                lastFall = now;
                fallColumn = -1;
                pressAt = -1;
                waiting = false;
            }
        }
        return true;
    }

    void Report(const char* program, const std::string& loadBefore,
                const std::vector<double>& launches) const {
        std::printf("%s at device pixel ratio %d (window %dx%d), load average %s before, %s "
                    "after\n",
                    program, scale_, frame_.w, frame_.h, loadBefore.c_str(), LoadAverage().c_str());
        std::printf("launch to first picture: median %.1f ms, range %.1f to %.1f, middle half "
                    "%.1f to %.1f (%zu launches)\n",
                    Percentile(launches, 0.5), Percentile(launches, 0), Percentile(launches, 1),
                    Percentile(launches, 0.25), Percentile(launches, 0.75), launches.size());
        std::vector<double> off;
        double sum = 0;
        for (double v : intervals_) {
            sum += v;
            off.push_back(std::fabs(v - kPulseMs));
        }
        std::printf("pulse on screen: mean %.3f ms, median distance from 400 ms %.3f ms, 90%% "
                    "within %.3f ms (%zu intervals)\n",
                    sum / static_cast<double>(intervals_.size()), Percentile(off, 0.5),
                    Percentile(off, 0.9), intervals_.size());
        std::printf("key to pixels: median %.2f ms, 90th percentile %.2f ms, 99th %.2f ms, worst "
                    "%.2f ms (%zu presses; %d more went unanswered before the next fall)\n",
                    Percentile(keys_, 0.5), Percentile(keys_, 0.9), Percentile(keys_, 0.99),
                    Percentile(keys_, 1), keys_.size(), missed_);
    }

private:
    // Returns the delay of a press after the fall, or -1 where the piece cannot move (it may
    // still reach into the hidden rows, or both sides are blocked); sets the cell to watch.
    static double PlanPress(const Grid& g, int x, int bottom, std::mt19937& random, int& destX,
                            int& destY) {
        int top = bottom;
        while (top - 1 >= kFirstRow && g[x][top - 1])
            --top;
        if (top - 1 < kFirstRow)
            return -1;
        std::vector<int> free;
        for (int to : {x - 1, x + 1}) {
            bool clear = to >= 0 && to < kColumns;
            for (int y = top; clear && y <= bottom; ++y)
                clear = !g[to][y];
            if (clear)
                free.push_back(to);
        }
        if (free.empty())
            return -1;
        destX = free[random() % free.size()];
        destY = bottom;
        return std::uniform_real_distribution<double>(kPressEarliest, kPressLatest)(random);
    }

    // Presses the keys in order and releases them in reverse; the time the press was sent.
    double Keys(std::initializer_list<KeySym> syms) {
        for (KeySym s : syms)
            XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, s), True, 0);
        for (auto s = std::rbegin(syms); s != std::rend(syms); ++s)
            XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, *s), False, 0);
        const double sent = Now();
        XFlush(dpy_);
        return sent;
    }

    void Settle(double ms) {
        Event e{};
        for (const double end = Now() + ms; Next(end, e);) {
        }
    }

    unsigned long PixelAt(int x, int y) {
        XImage* image = XGetImage(dpy_, win_, x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr)
            return 0;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
        XDestroyImage(image);
        return pixel;
    }

    bool Snapshot(Grid& g) {
        const int s = scale_;
        XImage* image = XGetImage(dpy_, win_, 0, viewTop_, kViewWidth * s, kRows * kCellSize * s,
                                  AllPlanes, ZPixmap);
        if (image == nullptr) {
            std::fprintf(stderr, "cannot read the view: is the window wholly on the screen?\n");
            return false;
        }
        for (int x = 0; x < kColumns; ++x) {
            for (int y = kFirstRow; y < kRows; ++y) {
                const BPoint center = GemCenter(x, y);
                const unsigned long pixel = XGetPixel(image, static_cast<int>(center.x) * s,
                                                      static_cast<int>(center.y) * s);
                g[x][y] = (pixel & 0xffffff) != kEmptyCell;
            }
        }
        XDestroyImage(image);
        return true;
    }

    pid_t PidOf(Window w) {
        const Atom pidAtom = XInternAtom(dpy_, "_NET_WM_PID", False);
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        pid_t pid = -1;
        if (XGetWindowProperty(dpy_, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                               &after, &data) == Success &&
            data != nullptr && count == 1 && format == 32)
            pid = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data));
        if (data != nullptr)
            XFree(data);
        return pid;
    }

    // The next event, stamped when it was read; false at the deadline.
    bool Next(double deadline, Event& out) {
        for (;;) {
            while (XPending(dpy_) > 0) {
                XEvent x;
                XNextEvent(dpy_, &x);
                const double t = Now();
                if (x.type == damageBase_ + XDamageNotify) {
                    const XRectangle& a = reinterpret_cast<XDamageNotifyEvent*>(&x)->area;
                    queue_.push_back({Event::kDamage, t, root_, {a.x, a.y, a.width, a.height}});
                } else if (x.type == MapNotify) {
                    queue_.push_back({Event::kMapped, t, x.xmap.window, {}});
                } else if (x.type == DestroyNotify) {
                    queue_.push_back({Event::kGone, t, x.xdestroywindow.window, {}});
                }
            }
            if (queue_.empty()) {
                const double left = deadline - Now();
                if (left <= 0)
                    return false;
                pollfd p{ConnectionNumber(dpy_), POLLIN, 0};
                const timespec wait{static_cast<time_t>(left / 1e3),
                                    static_cast<long>(std::fmod(left, 1e3) * 1e6)};
                ppoll(&p, 1, &wait, nullptr);
                continue;
            }
            out = queue_.front();
            queue_.pop_front();
            if (out.kind != Event::kDamage)
                return true;
            // Into the program window's coordinates (known by now); other drawing is not ours.
            out.area.x -= frame_.x;
            out.area.y -= frame_.y;
            out.window = win_;
            if (win_ != 0 && out.area.Meets({0, 0, frame_.w, frame_.h}))
                return true;
        }
    }

    Display* dpy_;
    Window root_;
    fs::path scratch_, program_;
    int damageBase_ = 0;
    std::deque<Event> queue_;
    pid_t pid_ = -1;
    int launches_ = 0;
    Window win_ = 0;
    Rect frame_;
    int scale_ = 1;
    int viewTop_ = 0;
    Grid grid_{};
    std::vector<double> intervals_, keys_;
    int missed_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    size_t launches = 15, falls = 50, presses = 300;
    const char* program = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::sscanf(argv[i], "--launches=%zu", &launches) == 1 ||
            std::sscanf(argv[i], "--falls=%zu", &falls) == 1 ||
            std::sscanf(argv[i], "--presses=%zu", &presses) == 1)
            continue;
        program = argv[i];
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (program == nullptr || dpy == nullptr || launches == 0) {
        std::fprintf(stderr,
                     "usage: %s [--launches=N] [--falls=N] [--presses=N] PROGRAM\n"
                     "(needs an X display with XTEST and DAMAGE)\n",
                     argv[0]);
        return 2;
    }
    // A copy in a folder of its own: the game keeps its score file beside itself.
    std::string pattern = (fs::temp_directory_path() / "tumblegem_feel.XXXXXX").string();
    const fs::path scratch = mkdtemp(pattern.data());
    const fs::path copy = scratch / fs::path(program).filename();
    fs::copy_file(program, copy);
    Feel feel(dpy, scratch, copy);
    if (!feel.Setup()) {
        std::fprintf(stderr, "the X server lacks XTEST or DAMAGE\n");
        return 2;
    }
    const std::string loadBefore = LoadAverage();
    std::vector<double> starts;
    bool ok = true;
    for (size_t i = 0; i < launches && ok; ++i) {
        const double ms = feel.Launch();
        ok = ms >= 0 && (i + 1 < launches || falls + presses == 0 || feel.Play(falls, presses));
        if (ms >= 0)
            starts.push_back(ms);
        feel.Kill();
    }
    feel.Report(copy.filename().c_str(), loadBefore, starts);
    if (!ok) {
        std::ifstream log(scratch / "stderr.txt");
        std::fprintf(stderr, "measuring failed; the program said:\n%s\n",
                     std::string(std::istreambuf_iterator<char>(log), {}).c_str());
    }
    fs::remove_all(scratch);
    XCloseDisplay(dpy);
    return ok ? 0 : 1;
}
