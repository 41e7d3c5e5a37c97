// Boards for tests, drawn as text: one string per row, top row first, a character per column.
//   '.' empty   '1'..'7' gems   'M' magic gem
#pragma once

#include "game/TumbleView.h"

#include <QImage>
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

// Fills the lowest rows of the well from the diagram; rows above it are emptied.
void SetBoard(TumbleView& view, std::initializer_list<const char*> rows);
// The well's rows from firstRow to 19 as a diagram, one line per row.
std::string BoardText(const TumbleView& view, int firstRow = 0);
int CountGems(const TumbleView& view);
// Puts the falling piece in column x with its top gem in row yTop; values from top to bottom.
void SetPiece(TumbleView& view, int x, int yTop, uint8 top, uint8 middle, uint8 bottom);

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
