// Boards for tests, drawn as text: one line per row, top row first, a character per column.
//   '.' empty   '1'..'7' gems   'M' magic gem   (an eighth character fills the scratch column)
#pragma once

#include "game/Layout.h"
#include "game/TumbleView.h"
#include "platform/Window.h"
#include "tests/ScratchDir.h"

#include <QImage>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// Fills the lowest rows of the well from the diagram; rows above it are emptied.
void SetBoard(TumbleView& view, const char* diagram);
// The well's rows from firstRow to 19 as a diagram, one line per row.
std::string BoardText(const TumbleView& view, int firstRow = 0);
// The lowest rows of the well, as many as `like` has lines.
std::string LowRows(const TumbleView& view, const std::string& like);
int CountGems(const TumbleView& view);
// Puts the falling piece in column x with its bottom gem at bottomRow; gems top first, "12M".
void PlacePiece(TumbleView& view, int x, int bottomRow, const char* gems);
// "x0,y0,x1,y1,x2,y2,values", e.g. "3,8,3,9,3,10,123".
std::string PieceText(const TumbleView& view);

// The color of view pixel (x, y) in a back buffer, sampled at the center of its device pixels.
struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb PixelAt(const QImage& image, int x, int y);
Rgb CellCenter(const QImage& image, int x, int y);
std::ostream& operator<<(std::ostream& os, const Rgb& c);
constexpr Rgb ToRgb(rgb_color c) {
    return {c.red, c.green, c.blue};
}
constexpr Rgb kWhite{255, 255, 255};
// A gem of this base color at distance d (0 to 9) from its center: discs brightening by 10
// towards the center inside a dark ring. The magic gem's three rings.
Rgb GemRing(Rgb base, int d);
Rgb MagicRing(int d);

// Paints the whole view in one color, so that whatever a drawing leaves alone stays visible.
void FillView(BView& view, rgb_color color);
// Every pixel of rect has the color and none of the pixels just outside it does.
testing::AssertionResult FilledExactly(const QImage& image, BRect rect, Rgb color);
// The pixels within area that differ from the background; empty when left > right.
struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;
};
Box InkBox(const QImage& image, BRect area, Rgb background);
// Paints the whole view in a color the game never draws, so a later Redraw shows.
void PaintMarker(TumbleView& view);
// True when every visible cell shows what the board holds (blank or a gem) and the score strip
// has been drawn: a Redraw has happened since the last PaintMarker.
bool ShowsBoard(const TumbleView& view);
bool ShowsMarker(const TumbleView& view, int x, int y);

// A TumbleView in its window, as the game builds them, in a scratch working directory.
// Pauses do not sleep: they are recorded, and onPause (if set) runs at each one.
class GameTest : public ::testing::Test {
public:
    static std::vector<bigtime_t> pauses;
    static std::function<void()> onPause;

protected:
    GameTest();
    ~GameTest() override;

    void Press(char key) { view->KeyDown(&key, 1); }

    ScratchDir scratch;
    BWindow window;
    TumbleView* view; // owned by the window
};
