// The executable's resources: linked into the game only, so tests start as often as they like.
#include "platform/Resources.h"
#include "app/Commands.h"

namespace {

constexpr const char* kIconFiles[] = {
    ":/icons/hicolor/16x16/apps/com.brightnook.Tumblegem.png",
    ":/icons/hicolor/32x32/apps/com.brightnook.Tumblegem.png",
    ":/icons/hicolor/48x48/apps/com.brightnook.Tumblegem.png",
    ":/icons/hicolor/64x64/apps/com.brightnook.Tumblegem.png",
    ":/icons/hicolor/128x128/apps/com.brightnook.Tumblegem.png",
    ":/icons/hicolor/256x256/apps/com.brightnook.Tumblegem.png",
    nullptr,
};

constexpr AppResources kResources = {
    kSignature, B_SINGLE_LAUNCH, {1, 0, 0, "Tumblegem"}, "com.brightnook.Tumblegem", kIconFiles,
};

[[maybe_unused]] const bool kRegistered = RegisterAppResources(&kResources);

} // namespace
