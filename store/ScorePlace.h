// Where the best score is kept. "Scores.data" stays in the working directory (the program's
// folder) whenever this process may write there; otherwise it goes to the player's own data
// folder, $XDG_DATA_HOME/tumblegem (by default ~/.local/share/tumblegem).
#pragma once

#include "platform/Types.h"

// Reads the best score from its place; while the player's file does not exist yet, a
// "Scores.data" beside the program is the starting best. Value untouched when none loads.
bool ReadBestScore(int32* value);

// Saves crash-safely in the place, making the player's data folder when it is missing.
bool WriteBestScore(int32 value);
