// The face every view draws text in.
#pragma once

#include <QFont>

// Helvetica's metrics, which the game's layout was made for, where a face with them is
// installed; else the nearest sans-serif.
QFont GameFont();
