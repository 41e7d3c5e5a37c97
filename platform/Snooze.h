// Blocking sleep, with a seam so tests and fuzzers can run without waiting.
#pragma once

#include "platform/Types.h"

status_t snooze(bigtime_t microseconds);

// While a hook is set, snooze() calls it instead of sleeping. Pass nullptr to restore sleeping.
using SnoozeHook = void (*)(bigtime_t microseconds);
void SetSnoozeHook(SnoozeHook hook);
