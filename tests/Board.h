// Boards for tests, drawn as text: one string per row, top row first, a character per column.
//   '.' empty   '1'..'7' gems   'M' magic gem
#pragma once

#include "game/TumbleView.h"
#include "platform/Window.h"
#include "tests/ScratchDir.h"

#include <QImage>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

// Fills the lowest rows of the well from the diagram; rows above it are emptied.
void SetBoard(TumbleView& view, std::initializer_list<const char*> rows);
// The well's rows from firstRow to 19 as a diagram, one line per row.
std::string BoardText(const TumbleView& view, int firstRow = 0);
int CountGems(const TumbleView& view);
// Puts the falling piece in column x with its top gem in row yTop; values from top to bottom.
void SetPiece(TumbleView& view, int x, int yTop, uint8 top, uint8 middle, uint8 bottom);
// Puts the falling piece in column x with its bottom gem at bottomRow; gems top first, "12M".
void PlacePiece(TumbleView& view, int x, int bottomRow, const char* gems);

// The colour of view pixel (x, y) in a back buffer, sampled at the centre of its device pixels.
struct Rgb {
    int r, g, b;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
Rgb PixelAt(const QImage& image, int x, int y);
std::ostream& operator<<(std::ostream& os, const Rgb& c);

constexpr Rgb ToRgb(rgb_color c) {
    return {c.red, c.green, c.blue};
}
// Paints the whole view in one colour, so that whatever a drawing leaves alone stays visible.
void FillView(BView& view, rgb_color colour);
// Every pixel of rect has the colour and none of the pixels just outside it does.
testing::AssertionResult FilledExactly(const QImage& image, BRect rect, Rgb colour);

// The pixels within area that differ from the background; empty when left > right.
struct Box {
    int left = 0, top = 0, right = -1, bottom = -1;
};
Box InkBox(const QImage& image, BRect area, Rgb background);
// Paints the whole view in a colour the game never draws, so a later Redraw shows.
void PaintMarker(TumbleView& view);
// True when every visible cell shows what the board holds (blank or a gem) and the score strip
// has been drawn: a Redraw has happened since the last PaintMarker.
bool ShowsBoard(const TumbleView& view);
// True when the centre of cell (x, y) still shows the marker.
bool ShowsMarker(const TumbleView& view, int x, int y);

// The best-score file, by the name players find beside the game.
constexpr const char* kScoresData = "Scores.data";

// Whole contents of a file; empty when it cannot be read.
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

// A TumbleView in its window, as the game builds them, in a scratch working directory.
// Pauses do not sleep: they are recorded, and onPause (if set) runs at each one.
class GameTest : public ::testing::Test {
protected:
    GameTest();
    ~GameTest() override;

    void Press(char key) { view->KeyDown(&key, 1); }

    ScratchDir scratch;
    BWindow window;
    TumbleView* view; // owned by the window
    static std::vector<bigtime_t> pauses;
    static std::function<void()> onPause;

private:
    static void RecordPause(bigtime_t microseconds);
};
