#include "store/ScoreFile.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Enough for any white space a person might leave before the number.
constexpr size_t kReadLimit = 4096;
constexpr mode_t kNewFileMode = 0664;
constexpr mode_t kDataModeBits = 0666;

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool WriteAll(int fd, const char* data, size_t length) {
    while (length > 0) {
        const ssize_t n = write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        length -= static_cast<size_t>(n);
    }
    return true;
}

void SyncFolderOf(const char* path) {
    std::string folder(path);
    const size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : folder.substr(0, slash));
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

} // namespace

bool ParseScore(const char* text, size_t length, int32* value) {
    size_t i = 0;
    while (i < length && IsSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < length && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t digitsStart = i;
    int64_t magnitude = 0;
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    while (i < length && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit)
            return false;
        ++i;
    }
    if (i == digitsStart)
        return false;
    const int64_t result = negative ? -magnitude : magnitude;
    if (result > INT32_MAX || result < INT32_MIN)
        return false;
    *value = static_cast<int32>(result);
    return true;
}

bool ReadScoreFile(const char* path, int32* value) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    char buf[kReadLimit];
    size_t have = 0;
    while (have < sizeof buf) {
        const ssize_t n = read(fd, buf + have, sizeof buf - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        have += static_cast<size_t>(n);
    }
    close(fd);
    return ParseScore(buf, have, value);
}

bool WriteScoreFile(const char* path, const char* tempPath, int32 value) {
    char text[16];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    if (ec != std::errc())
        return false;

    // A file this process may not write stays as it is: a player can make it read-only to
    // keep a score. Write permission on the folder alone would let the rename replace it.
    if (faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) != 0 && errno != ENOENT)
        return false;

    // Whatever a killed save or anyone else left under the temporary name goes first: a
    // link there would otherwise refuse every later save. Only a folder there cannot go.
    unlink(tempPath);
    const int fd =
        open(tempPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, kNewFileMode);
    if (fd < 0)
        return false;
    // A file that already exists keeps who may read and write it. It is data: execute and
    // set-ID bits are not carried over, nor anything from what a link points to.
    struct stat old {};
    if (lstat(path, &old) == 0 && S_ISREG(old.st_mode))
        fchmod(fd, old.st_mode & kDataModeBits);
    bool ok = WriteAll(fd, text, static_cast<size_t>(end - text)) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (ok)
        ok = rename(tempPath, path) == 0;
    if (!ok) {
        unlink(tempPath);
        return false;
    }
    SyncFolderOf(path);
    return true;
}
