#include "platform/Application.h"

#include "platform/DisplayCheck.h"
#include "platform/Resources.h"
#include "platform/SingleLaunch.h"
#include "platform/Window.h"
#include "platform/WindowWidget.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QThread>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>

BApplication* be_app = nullptr;

struct ApplicationPrivate {
    std::unique_ptr<QApplication> qapp;
    std::unique_ptr<SingleLaunch> launch; // goes before the QApplication
    bool quitting = false;
    // Reading the system's font list is the longest step of a start, and the launch figure
    // misses its goal without it: the list is read here while the window is made, and the first
    // text laid out waits only for what is left. Joined before the QApplication goes.
    std::jthread fontList;
};

namespace {

const AppResources* gResources = nullptr;

// How long a second start waits for a first one that owns the name but is not answering yet
// (it may be starting up on a busy machine).
constexpr int kSingleLaunchPatienceMs = 10000;

// Qt names the program, and its windows' class, after the executable.
int gArgc = 1;
char* gArgv[] = {program_invocation_short_name, nullptr};

// Without a session bus this copy simply runs on its own.
void ClaimOrExit(ApplicationPrivate& d) {
    d.launch = std::make_unique<SingleLaunch>(QString::fromUtf8(gResources->desktopId));
    const SingleLaunch::Outcome outcome =
        d.launch->Claim(SingleLaunch::LauncherPlatformData(), kSingleLaunchPatienceMs);
    // Nothing to tidy on the way out: Qt's teardown would load the font configuration only to
    // drop it.
    if (outcome == SingleLaunch::Outcome::Forwarded)
        std::_Exit(0);
    if (outcome == SingleLaunch::Outcome::NoAnswer) {
        std::fprintf(stderr, "%s: another copy is running but does not answer\n",
                     program_invocation_short_name);
        std::_Exit(1);
    }
    if (outcome == SingleLaunch::Outcome::CannotServe)
        std::fprintf(stderr,
                     "%s: cannot answer later starts on the session bus; each will open a "
                     "window of its own\n",
                     program_invocation_short_name);
    d.launch->onActivate = [] {
        for (BWindow* window : WindowPrivate::all)
            window->Activate();
    };
}

} // namespace

bool RegisterAppResources(const AppResources* resources) {
    gResources = resources;
    return true;
}

// The signature names the program on its first platform; here the resources' desktop id does.
BApplication::BApplication(const char*) : d(std::make_unique<ApplicationPrivate>()) {
    if (QCoreApplication::instance() == nullptr)
        d->qapp = MakeApplicationOrExit(gArgc, gArgv);
    // Before any window: Qt's Wayland plugin reads the token as the first one is activated.
    SingleLaunch::AdoptStartupId(QGuiApplication::platformName());
    // Qt takes the user's locale for the C library too; the program's texts are its own and
    // print "v1.10", not "v1,10", everywhere.
    std::setlocale(LC_NUMERIC, "C");
    // Only a granted quit request ends the run, not the last window closing.
    QApplication::setQuitOnLastWindowClosed(false);
    be_app = this;
    if (gResources != nullptr) {
        QCoreApplication::setApplicationName(QString::fromUtf8(gResources->version.short_info));
        QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                    .arg(gResources->version.major)
                                                    .arg(gResources->version.middle)
                                                    .arg(gResources->version.minor));
        QGuiApplication::setDesktopFileName(QString::fromUtf8(gResources->desktopId));
        if ((gResources->appFlags & B_LAUNCH_MASK) == B_SINGLE_LAUNCH)
            ClaimOrExit(*d);
    }
    // Only a start that goes on to show a window needs the fonts; the locale is settled by now,
    // and the font configuration reads numbers by it.
    d->fontList = std::jthread([] { QFontDatabase::families(); });
    if (gResources != nullptr) {
        QIcon icon;
        for (const char* const* file = gResources->iconFiles; *file != nullptr; ++file) {
            // Read as PNG and nothing else: left to guess, Qt loads every image plugin it has
            // to ask each whether it knows the file, a few milliseconds of every start.
            QImageReader png(QString::fromUtf8(*file), "png");
            png.setAutoDetectImageFormat(false);
            icon.addPixmap(QPixmap::fromImage(png.read()));
        }
        QApplication::setWindowIcon(icon);
    }
}

BApplication::~BApplication() {
    // Windows are the application's; a copy of the list, as deleting one edits it.
    for (BWindow* window : std::vector(WindowPrivate::all))
        delete window;
    be_app = nullptr;
}

void BApplication::Run() {
    if (!d->quitting)
        QApplication::exec();
}

void BApplication::Quit() {
    d->quitting = true;
    // Only a running loop is told: told before it runs, Qt's next loop would return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

bool BApplication::QuitRequested() {
    for (BWindow* window : std::vector(WindowPrivate::all)) {
        if (!window->QuitRequested())
            return false;
        window->Quit();
    }
    return true;
}

status_t BApplication::GetAppInfo(app_info* info) const {
    info->ref.path = QCoreApplication::applicationFilePath().toStdString();
    return info->ref.path.empty() ? B_ERROR : B_OK;
}
