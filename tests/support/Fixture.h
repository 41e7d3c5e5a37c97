// What the tests, the fuzz target and the benchmarks share: the game's window, the event loop,
// boards and pieces as text, pixel probes. No test framework.
#pragma once

#include "game/Layout.h"
#include "game/TumbleView.h"
#include "platform/Window.h"

#include <QImage>

#include <iosfwd>
#include <memory>
#include <string>
#include <utility>

// The game's window with its view under the menu bar, as the game builds them. When shown,
// returns once the view has been painted.
struct GameWindow {
    std::unique_ptr<BWindow> window;
    TumbleView* view = nullptr; // owned by the window
};
GameWindow MakeGameWindow(TumbleView* view = nullptr, bool show = false);

// Handles whatever is queued, paints and timers included, and what that posts in turn.
void Settle();

// Boards as text: one line per row, top row first, a character per column.
//   '.' empty   '1'..'7' gems   'M' magic gem   (an eighth character fills the scratch column)
//   lowercase: the falling piece, top gem first ('a' is 1 ... 'g' is 7, 'm' magic)
// SetBoard fills the lowest rows of the well from the diagram and empties the rows above.
void SetBoard(TumbleView& view, const char* diagram);
// The well's rows from firstRow to the bottom, one line per row, the piece in play if asked.
std::string BoardText(const TumbleView& view, int firstRow = 0, bool withPiece = false);
// The lowest rows of the well with the piece in play, as many as `like` has lines.
std::string LowRows(const TumbleView& view, const std::string& like);
// Two boards drawn side by side, apart by spaces, such as a well before and after a move.
std::pair<std::string, std::string> SideBySide(const char* diagram);
// Puts the falling piece in column x with its bottom gem at bottomRow; gems top first, "12M".
void PlacePiece(TumbleView& view, int x, int bottomRow, const char* gems);
// "x0,y0,x1,y1,x2,y2,values", e.g. "3,8,3,9,3,10,123".
std::string PieceText(const TumbleView& view);
// What cell (x, y) holds, and whether that is a gem of the piece in play over the board.
std::pair<uint8, bool> Held(const TumbleView& view, int x, int y, bool withPiece = true);

struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
std::ostream& operator<<(std::ostream& os, const Rgb& c);
constexpr Rgb kWhite{255, 255, 255};
// The color of view pixel (x, y) when all its device pixels agree, else (-1, -1, -1).
Rgb PixelAt(const QImage& image, int x, int y);
// Whether every device pixel of view pixel (x, y) is within tolerance of color, channel by
// channel: anti-aliased edges may differ from an exact disc by a level or two.
bool Near(const QImage& image, int x, int y, Rgb color, int tolerance);
// A gem holding value at distance d (0 to 9) from its center: discs brightening by 10 towards
// the center inside a dark ring, or the magic gem's three rings.
Rgb GemRing(uint8 value, int d);
// Paints the whole view in one color, so that whatever a drawing leaves alone stays visible.
void FillView(BView& view, Rgb color);
// The pixels within area that differ from the background; a null rectangle when none do.
QRect InkBox(const QImage& image, BRect area, Rgb background);
// Paints the whole view in a color the game never draws, so a later Redraw shows.
void PaintMarker(TumbleView& view);
// The first visible cell whose center does not show what the well or the piece in play holds
// there, as "(x, y) shows (r, g, b)"; empty when every one does.
std::string MisdrawnCell(const TumbleView& view);
bool ShowsMarker(const TumbleView& view, int x, int y);
