#include "platform/Snooze.h"

#include <chrono>
#include <thread>

namespace {
SnoozeHook gHook = nullptr;
}

void SetSnoozeHook(SnoozeHook hook) {
    gHook = hook;
}

status_t snooze(bigtime_t microseconds) {
    if (gHook != nullptr)
        gHook(microseconds);
    else
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    return B_OK;
}
