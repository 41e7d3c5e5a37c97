// The face every view draws text in, and Helvetica's widths, which the game's layout was made
// for.
#pragma once

#include <QFont>

// A face that shares Helvetica's metrics where one is installed, else the nearest sans-serif.
QFont GameFont();

// True when GameFont() draws with Helvetica's advance widths (within rounding). The installed
// faces do not change while the program runs, so this is found out once.
bool GameFontHasHelveticaWidths();

// The advance Helvetica gives the text at the pixel size; negative for text beyond printable
// ASCII, whose widths it does not know.
double HelveticaAdvance(const char* text, int pixelSize);
