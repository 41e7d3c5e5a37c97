#include "tests/support/Fixture.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <ostream>
#include <sstream>
#include <vector>

namespace {

// Indexed by cell value: kEmpty, the seven gems, MAGIC, MARKED.
constexpr std::string_view kCells = ".1234567M9", kPieceCells = ".abcdefgm";
constexpr Rgb kMarker{255, 0, 255};

uint8 CellValue(char c) {
    const size_t board = kCells.find(c), piece = kPieceCells.find(c);
    return static_cast<uint8>(board != kCells.npos ? board : piece != kCells.npos ? piece : 0);
}

// Puts gem of the piece in play at (x, y).
void Put(TumbleView& view, int gem, int x, int y, char c) {
    view.piecePos[2 * gem] = static_cast<int8>(x);
    view.piecePos[2 * gem + 1] = static_cast<int8>(y);
    view.pieceColor[gem] = CellValue(c);
}

Rgb CellCenter(const QImage& image, int x, int y) {
    const BPoint center = GemCenter(x, y);
    return PixelAt(image, static_cast<int>(center.x), static_cast<int>(center.y));
}

} // namespace

GameWindow MakeGameWindow(TumbleView* view, bool show) {
    GameWindow game{std::make_unique<BWindow>(kWindowFrame, "Tumblegem", B_TITLED_WINDOW,
                                              B_NOT_RESIZABLE | B_NOT_ZOOMABLE),
                    view != nullptr ? view : new TumbleView(kViewFrame)};
    game.window->AddChild(game.view);
    if (show) {
        game.window->Show();
        for (int i = 0; i < 100 && !game.view->Widget()->isVisible(); ++i)
            QApplication::processEvents();
        Settle();
    }
    return game;
}

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void SetBoard(TumbleView& view, const char* diagram) {
    std::istringstream lines(diagram);
    const std::vector<std::string> rows(std::istream_iterator<std::string>(lines), {});
    std::memset(view.board, kEmpty, sizeof view.board);
    int y = kWellRows - static_cast<int>(rows.size()), gem = 0;
    for (const std::string& row : rows) {
        for (int x = 0; x < kBoardColumns && x < static_cast<int>(row.size()); ++x) {
            const char c = row[x];
            if (std::islower(static_cast<unsigned char>(c)) && gem < kPieceGems)
                Put(view, gem++, x, y, c);
            else
                view.board[x][y] = CellValue(c);
        }
        ++y;
    }
}

std::string BoardText(const TumbleView& view, int firstRow, bool withPiece) {
    std::string out;
    for (int y = firstRow; y < kWellRows; ++y, out += '\n') {
        for (int x = 0; x < kWellColumns; ++x) {
            const auto [v, piece] = Held(view, x, y, withPiece);
            out += (piece ? kPieceCells : kCells).at(v);
        }
    }
    return out;
}

std::string LowRows(const TumbleView& view, const std::string& like) {
    return BoardText(view, kWellRows - static_cast<int>(std::ranges::count(like, '\n')), true);
}

std::pair<std::string, std::string> SideBySide(const char* diagram) {
    std::pair<std::string, std::string> boards;
    std::istringstream rows(diagram);
    for (std::string left, right; rows >> left >> right;) {
        boards.first += left + '\n';
        boards.second += right + '\n';
    }
    return boards;
}

void PlacePiece(TumbleView& view, int x, int bottomRow, const char* gems) {
    for (int gem = 0; gem < kPieceGems; ++gem)
        Put(view, gem, x, bottomRow - (kPieceGems - 1) + gem, gems[gem]);
}

std::string PieceText(const TumbleView& view) {
    std::string s;
    for (int8 p : view.piecePos)
        s += std::to_string(p) + ",";
    for (uint8 c : view.pieceColor)
        s += c == kEmpty ? '0' : kCells.at(c);
    return s;
}

std::pair<uint8, bool> Held(const TumbleView& view, int x, int y, bool withPiece) {
    const int8* p = view.piecePos;
    withPiece = withPiece && std::any_of(p, p + 2 * kPieceGems, [](int8 v) { return v; });
    for (int gem = 0; gem < kPieceGems && withPiece; ++gem)
        if (p[2 * gem] == x && p[2 * gem + 1] == y)
            return {view.pieceColor[gem], true};
    return {view.board[x][y], false};
}

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

Rgb PixelAt(const QImage& image, int x, int y) {
    const int s = static_cast<int>(image.devicePixelRatio());
    const QRgb p = image.pixel(x * s, y * s);
    for (int i = 1; i < s * s; ++i)
        if (image.pixel(x * s + i % s, y * s + i / s) != p)
            return {-1, -1, -1};
    return {qRed(p), qGreen(p), qBlue(p)};
}

bool Near(const QImage& image, int x, int y, Rgb color, int tolerance) {
    const int s = static_cast<int>(image.devicePixelRatio());
    for (int i = 0; i < s * s; ++i) {
        const QRgb p = image.pixel(x * s + i % s, y * s + i / s);
        if (std::abs(qRed(p) - color.r) > tolerance || std::abs(qGreen(p) - color.g) > tolerance ||
            std::abs(qBlue(p) - color.b) > tolerance)
            return false;
    }
    return true;
}

Rgb GemRing(uint8 value, int d) {
    static constexpr Rgb kBases[] = {{200, 20, 20},   {20, 200, 20},   {20, 20, 200},  {20, 20, 20},
                                     {100, 100, 170}, {170, 100, 100}, {100, 140, 100}};
    if (value == MAGIC)
        return d > 7 ? Rgb{200, 0, 0} : (d > 5 ? Rgb{0, 200, 0} : Rgb{0, 0, 200});
    const Rgb base = kBases[value - 1];
    const int shade = 10 * (8 - std::max(d, 3));
    return d == 9 ? Rgb{40, 40, 40} : Rgb{base.r + shade, base.g + shade, base.b + shade};
}

void FillView(BView& view, Rgb color) {
    view.SetHighColor(static_cast<uint8>(color.r), static_cast<uint8>(color.g),
                      static_cast<uint8>(color.b));
    view.FillRect(view.Bounds());
}

QRect InkBox(const QImage& image, BRect area, Rgb background) {
    QRect box;
    for (int y = static_cast<int>(area.top); y <= static_cast<int>(area.bottom); ++y)
        for (int x = static_cast<int>(area.left); x <= static_cast<int>(area.right); ++x)
            if (PixelAt(image, x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

void PaintMarker(TumbleView& view) {
    const rgb_color old = view.HighColor();
    FillView(view, kMarker);
    view.SetHighColor(old);
}

std::string MisdrawnCell(const TumbleView& view) {
    const QImage image = view.Snapshot();
    for (int x = 0; x < kWellColumns; ++x)
        for (int y = kFirstVisibleRow; y < kWellRows; ++y)
            if (const uint8 v = Held(view, x, y).first;
                CellCenter(image, x, y) != (v == kEmpty ? kWhite : GemRing(v, 0))) {
                std::ostringstream out;
                out << '(' << x << ", " << y << ") shows " << CellCenter(image, x, y);
                return out.str();
            }
    return "";
}

bool ShowsMarker(const TumbleView& view, int x, int y) {
    return CellCenter(view.Snapshot(), x, y) == kMarker;
}
