// The application object of the kit: one per process, reachable as be_app. It owns the
// windows, runs the event loop, and ends it when a quit request is granted.
#pragma once

#include "platform/Looper.h"
#include "platform/Storage.h"
#include "platform/Types.h"

#include <memory>

struct app_info {
    entry_ref ref; // the running executable
};

struct ApplicationPrivate;

class BApplication : public BLooper {
public:
    // Creates the QApplication if there is none. With the executable's resources declaring
    // single launch and another copy running, that copy is brought forward and this process
    // exits with status 0 here. Without a display it exits with status 1 and one line.
    explicit BApplication(const char* signature);
    ~BApplication() override;

    // Runs the event loop until Quit(); returns at once if the application already quit.
    void Run();
    // Ends Run(); the application object stays for its owner to delete.
    void Quit() override;
    // Asks each window to quit; true when all agreed (and quit).
    bool QuitRequested() override;

    status_t GetAppInfo(app_info* info) const;

private:
    std::unique_ptr<ApplicationPrivate> d;
};

extern BApplication* be_app;
