// The application object of the kit: one per process, reachable as be_app.
#pragma once

#include "platform/Storage.h"
#include "platform/Types.h"

#include <memory>

constexpr int B_MIME_TYPE_LENGTH = 256;

struct app_info {
    entry_ref ref; // the running executable
    uint32 flags = 0;
    char signature[B_MIME_TYPE_LENGTH] = {};
};

struct ApplicationPrivate;

class BApplication {
public:
    explicit BApplication(const char* signature);
    virtual ~BApplication();
    BApplication(const BApplication&) = delete;
    BApplication& operator=(const BApplication&) = delete;

    status_t GetAppInfo(app_info* info) const;
    const char* Signature() const;

private:
    std::unique_ptr<ApplicationPrivate> d;
};

extern BApplication* be_app;
