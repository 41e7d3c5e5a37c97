// Files and paths of the kit, over std::filesystem.
#pragma once

#include "platform/Types.h"

#include <string>

struct entry_ref {
    std::string path;
};

class BPath {
public:
    // Made absolute and normal; fails for an empty path.
    status_t SetTo(const char* path);
    // The folder holding this path; fails for the root and for an empty path.
    status_t GetParent(BPath* parent) const;
    const char* Path() const { return path_.empty() ? nullptr : path_.c_str(); }

private:
    std::string path_;
};

class BEntry {
public:
    // The entry is the path as given, a link itself rather than what it points to: no
    // caller asks to follow links.
    BEntry(const entry_ref* ref, bool /*traverse*/) : path_(ref->path) {}

    status_t GetPath(BPath* path) const { return path->SetTo(path_.c_str()); }

private:
    std::string path_;
};
