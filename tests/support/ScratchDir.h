// A fresh folder that is the working directory while the object lives; removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unistd.h>

class ScratchDir {
public:
    ScratchDir() : previous_(std::filesystem::current_path()) {
        path_ = (std::filesystem::temp_directory_path() / "tumblegem-XXXXXX").string();
        if (mkdtemp(path_.data()) == nullptr || chdir(path_.c_str()) != 0)
            throw std::runtime_error("cannot make a scratch folder");
    }
    // Throwing here ends the run: nothing after may go on in a removed folder.
    ~ScratchDir() {
        std::filesystem::current_path(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
    void Write(std::string_view name, std::string_view contents) const {
        std::ofstream(*this / name, std::ios::binary) << contents;
    }
    // The whole file; empty when it cannot be read.
    std::string Read(std::string_view name) const {
        std::ostringstream all;
        all << std::ifstream(*this / name, std::ios::binary).rdbuf();
        return all.str();
    }
    // Names in the folder, sorted.
    std::string Listing() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.insert(entry.path().filename().string());
        std::string out;
        for (const std::string& name : names)
            out += (out.empty() ? "" : " ") + name;
        return out;
    }

private:
    std::string path_;
    std::filesystem::path previous_;
};
