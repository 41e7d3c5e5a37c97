#include "platform/Application.h"

#include <QApplication>

#include <cstring>
#include <string>
#include <unistd.h>

BApplication* be_app = nullptr;

struct ApplicationPrivate {
    std::string signature;
    std::unique_ptr<QApplication> qapp;
};

namespace {

std::string ExecutablePath() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    return std::string(buf, static_cast<size_t>(n));
}

int gArgc = 1;
char gArgv0[] = "tumblegem";
char* gArgv[] = {gArgv0, nullptr};

} // namespace

BApplication::BApplication(const char* signature) : d(std::make_unique<ApplicationPrivate>()) {
    d->signature = signature != nullptr ? signature : "";
    if (QCoreApplication::instance() == nullptr)
        d->qapp = std::make_unique<QApplication>(gArgc, gArgv);
    be_app = this;
}

BApplication::~BApplication() {
    if (be_app == this)
        be_app = nullptr;
}

status_t BApplication::GetAppInfo(app_info* info) const {
    if (info == nullptr)
        return B_ERROR;
    *info = app_info{};
    info->ref.path = ExecutablePath();
    std::strncpy(info->signature, d->signature.c_str(), sizeof info->signature - 1);
    return info->ref.path.empty() ? B_ERROR : B_OK;
}

const char* BApplication::Signature() const { return d->signature.c_str(); }
