#include "platform/Snooze.h"

#include <cerrno>
#include <ctime>

namespace {
SnoozeHook gHook = nullptr;
}

void SetSnoozeHook(SnoozeHook hook) {
    gHook = hook;
}

status_t snooze(bigtime_t microseconds) {
    if (gHook != nullptr) {
        gHook(microseconds);
        return B_OK;
    }
    if (microseconds <= 0)
        return B_OK;
    // Sleep to an absolute deadline so signals cannot stretch the pause.
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += microseconds / 1000000;
    deadline.tv_nsec += (microseconds % 1000000) * 1000;
    if (deadline.tv_nsec >= 1000000000) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
    return B_OK;
}
