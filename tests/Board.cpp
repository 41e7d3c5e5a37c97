#include "tests/Board.h"

#include <cstring>
#include <ostream>

void SetBoard(TumbleView& view, std::initializer_list<const char*> rows) {
    for (int x = 0; x < kWellColumns; ++x)
        for (int y = 0; y < kWellRows; ++y)
            view.board[x][y] = kEmpty;
    int y = kWellRows - static_cast<int>(rows.size());
    for (const char* row : rows) {
        for (int x = 0; x < kWellColumns && row[x] != '\0'; ++x) {
            const char c = row[x];
            view.board[x][y] = c == 'M' ? MAGIC : (c >= '1' && c <= '7' ? c - '0' : kEmpty);
        }
        ++y;
    }
}

std::string BoardText(const TumbleView& view, int firstRow) {
    std::string out;
    for (int y = firstRow; y < kWellRows; ++y) {
        for (int x = 0; x < kWellColumns; ++x) {
            const uint8 v = view.board[x][y];
            out += v == kEmpty ? '.' : (v == MAGIC ? 'M' : static_cast<char>('0' + v));
        }
        out += '\n';
    }
    return out;
}

int CountGems(const TumbleView& view) {
    int n = 0;
    for (int x = 0; x < kWellColumns; ++x)
        for (int y = 0; y < kWellRows; ++y)
            n += view.board[x][y] != kEmpty;
    return n;
}

Rgb PixelAt(const QImage& image, int x, int y) {
    const int s = static_cast<int>(image.devicePixelRatio());
    const QRgb p = image.pixel(x * s + s / 2, y * s + s / 2);
    return {qRed(p), qGreen(p), qBlue(p)};
}

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}
