#include "platform/Storage.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

status_t BPath::SetTo(const char* path) {
    std::error_code ec; // absolute() gives an empty path when it fails
    path_ = path == nullptr || *path == '\0' ? "" : fs::absolute(path, ec).lexically_normal();
    if (path_.size() > 1 && path_.back() == '/')
        path_.pop_back();
    return path_.empty() ? B_ERROR : B_OK;
}

status_t BPath::GetParent(BPath* parent) const {
    if (path_.empty() || path_ == "/")
        return B_ERROR;
    return parent->SetTo(fs::path(path_).parent_path().c_str());
}
