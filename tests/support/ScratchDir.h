// A fresh folder that is the working directory while the object lives; removed afterwards.
#pragma once

#include <string>
#include <string_view>

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(std::string_view name) const;

    void Write(std::string_view name, std::string_view contents) const;
    // The whole file; empty when it cannot be read.
    std::string Read(std::string_view name) const;
    // Names in the folder, sorted.
    std::string Listing() const;

private:
    std::string path_;
    std::string previous_;
};
