#include "platform/Resources.h"

namespace {
const AppResources* gResources = nullptr;
}

bool RegisterAppResources(const AppResources* resources) {
    gResources = resources;
    return true;
}

const AppResources* RegisteredAppResources() {
    return gResources;
}
