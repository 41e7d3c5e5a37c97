#include "tests/support/ScratchDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

ScratchDir::ScratchDir() : previous_(fs::current_path().string()) {
    const char* tmp = std::getenv("TMPDIR");
    path_ = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tumblegem-XXXXXX";
    if (mkdtemp(path_.data()) == nullptr || chdir(path_.c_str()) != 0)
        throw std::runtime_error("cannot make a scratch folder");
}

ScratchDir::~ScratchDir() {
    if (chdir(previous_.c_str()) != 0)
        std::abort();
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScratchDir::operator/(std::string_view name) const {
    return path_ + "/" + std::string(name);
}

void ScratchDir::Write(std::string_view name, std::string_view contents) const {
    std::ofstream out(*this / name, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

std::string ScratchDir::Read(std::string_view name) const {
    std::ifstream in(*this / name, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

std::string ScratchDir::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : " ") + n;
    return out;
}
