// Reading and writing the best-score file: decimal text, no line end.
#pragma once

#include "platform/Types.h"

#include <cstddef>

constexpr const char* kScoreFileName = "Scores.data";
// Written first, then renamed over the score file, so a save is all or nothing.
constexpr const char* kScoreTempName = ".Scores.data.tmp";

// Reads like formatted stream extraction of an integer: leading white space skipped, an
// optional sign, then digits up to the first other character. False (value untouched) for
// no digits, or a number outside the int32 range, which the game never writes.
bool ParseScore(const char* text, size_t length, int32* value);

// False when the file is missing or unreadable, or does not start with a number.
bool ReadScoreFile(const char* path, int32* value);

// Replaces the file's contents with the decimal text of value, crash-safely: the old file
// stays whole until the new one is on disk. New files get 0664 under the umask; an existing
// file this process may not write is left alone (false).
bool WriteScoreFile(const char* path, const char* tempPath, int32 value);
