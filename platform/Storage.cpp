#include "platform/Storage.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

status_t BPath::SetTo(const char* path) {
    path_.clear();
    if (path == nullptr || *path == '\0')
        return B_ERROR;
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec)
        return B_ERROR;
    path_ = absolute.lexically_normal().string();
    if (path_.size() > 1 && path_.back() == '/')
        path_.pop_back();
    return B_OK;
}

status_t BPath::GetParent(BPath* parent) const {
    if (parent == nullptr || path_.empty() || path_ == "/")
        return B_ERROR;
    return parent->SetTo(fs::path(path_).parent_path().c_str());
}

BEntry::BEntry(const entry_ref* ref, bool) : path_(ref != nullptr ? ref->path : std::string()) {}

status_t BEntry::GetPath(BPath* path) const {
    if (path == nullptr || path_.empty())
        return B_ERROR;
    return path->SetTo(path_.c_str());
}
