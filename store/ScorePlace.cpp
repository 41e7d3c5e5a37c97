#include "store/ScorePlace.h"

#include "store/ScoreFile.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kDataFolderMode = 0700;

struct ScorePlace {
    std::string file;
    std::string tempFile;
    std::string folder; // empty beside the program
};

// Relative values are to be ignored, as the base directory rules ask.
std::string PlayerDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/')
        return std::string(dataHome) + "/tumblegem";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return std::string(home) + "/.local/share/tumblegem";
    return {};
}

// Every missing folder on the way gets 0700: nobody else needs to look in a player's data.
bool MakeFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), kDataFolderMode) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}

// False when the program's folder cannot be written and there is no data folder to use.
bool FindScorePlace(ScorePlace* place) {
    if (access(".", W_OK) == 0) {
        *place = {kScoreFileName, kScoreTempName, {}};
        return true;
    }
    const std::string folder = PlayerDataFolder();
    if (folder.empty())
        return false;
    *place = {folder + "/" + kScoreFileName, folder + "/" + kScoreTempName, folder};
    return true;
}

} // namespace

bool ReadBestScore(int32* value) {
    ScorePlace place;
    const bool found = FindScorePlace(&place);
    if (found && place.folder.empty())
        return ReadScoreFile(kScoreFileName, value);
    // Once the player's file exists it alone counts, whatever it holds.
    struct stat st {};
    if (found && lstat(place.file.c_str(), &st) == 0)
        return ReadScoreFile(place.file.c_str(), value);
    return ReadScoreFile(kScoreFileName, value);
}

bool WriteBestScore(int32 value) {
    ScorePlace place;
    if (!FindScorePlace(&place))
        return false;
    if (!place.folder.empty() && !MakeFolders(place.folder))
        return false;
    return WriteScoreFile(place.file.c_str(), place.tempFile.c_str(), value);
}
