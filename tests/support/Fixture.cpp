#include "tests/support/Fixture.h"

#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <ostream>
#include <sstream>
#include <vector>

namespace {

constexpr Rgb kMarker{255, 0, 255};

uint8 CellValue(char c) {
    if (c == 'm' || (c >= 'a' && c <= 'g'))
        c = c == 'm' ? 'M' : static_cast<char>(c - 'a' + '1');
    return c == 'M' ? MAGIC : (c >= '1' && c <= '7' ? c - '0' : kEmpty);
}

char CellChar(uint8 v, bool piece = false) {
    const char c = v == kEmpty ? '.' : (v == MAGIC ? 'M' : static_cast<char>('0' + v));
    return piece ? (v == MAGIC ? 'm' : static_cast<char>(c - '1' + 'a')) : c;
}

// The gem of the piece in play at (x, y), or -1.
int PieceGem(const TumbleView& view, int x, int y) {
    const int8* p = view.piecePos;
    for (int gem = 0; gem < kPieceGems; ++gem) {
        if (p[2 * gem] == x && p[2 * gem + 1] == y &&
            std::any_of(p, p + 6, [](int8 v) { return v; }))
            return gem;
    }
    return -1;
}

uint8 Held(const TumbleView& view, int x, int y) {
    const int gem = PieceGem(view, x, y);
    return gem < 0 ? view.board[x][y] : view.pieceColor[gem];
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

void PumpEvents() {
    QCoreApplication::sendPostedEvents();
}

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

void SetBoard(TumbleView& view, const char* diagram) {
    std::vector<std::string> rows;
    std::istringstream lines(diagram);
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    std::memset(view.board, kEmpty, sizeof view.board);
    int y = kWellRows - static_cast<int>(rows.size()), gem = 0;
    for (const std::string& row : rows) {
        for (int x = 0; x < kBoardColumns && x < static_cast<int>(row.size()); ++x) {
            if (!std::islower(static_cast<unsigned char>(row[x])) || gem == kPieceGems) {
                view.board[x][y] = CellValue(row[x]);
                continue;
            }
            view.piecePos[2 * gem] = static_cast<int8>(x);
            view.piecePos[2 * gem + 1] = static_cast<int8>(y);
            view.pieceColor[gem++] = CellValue(row[x]);
        }
        ++y;
    }
}

std::string BoardText(const TumbleView& view, int firstRow) {
    std::string out;
    for (int y = firstRow; y < kWellRows; ++y) {
        for (int x = 0; x < kWellColumns; ++x) {
            out += CellChar(view.board[x][y]);
        }
        out += '\n';
    }
    return out;
}

std::string LowRows(const TumbleView& view, const std::string& like) {
    std::string text;
    for (int y = kWellRows - static_cast<int>(std::count(like.begin(), like.end(), '\n'));
         y < kWellRows; ++y) {
        for (int x = 0; x < kWellColumns; ++x)
            text += CellChar(Held(view, x, y), PieceGem(view, x, y) >= 0);
        text += '\n';
    }
    return text;
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

int CountGems(const TumbleView& view) {
    int n = 0;
    for (int x = 0; x < kWellColumns; ++x)
        for (int y = 0; y < kWellRows; ++y)
            n += view.board[x][y] != kEmpty;
    return n;
}

void PlacePiece(TumbleView& view, int x, int bottomRow, const char* gems) {
    for (int gem = 0; gem < kPieceGems; ++gem) {
        view.piecePos[2 * gem] = static_cast<int8>(x);
        view.piecePos[2 * gem + 1] = static_cast<int8>(bottomRow - (kPieceGems - 1) + gem);
        view.pieceColor[gem] = CellValue(gems[gem]);
    }
}

std::string PieceText(const TumbleView& view) {
    std::string s;
    for (int8 p : view.piecePos)
        s += std::to_string(p) + ",";
    for (uint8 c : view.pieceColor)
        s += c == MAGIC ? 'M' : static_cast<char>('0' + c);
    return s;
}

Rgb PixelAt(const QImage& image, int x, int y) {
    const int s = static_cast<int>(image.devicePixelRatio());
    const QRgb p = image.pixel(x * s + s / 2, y * s + s / 2);
    return {qRed(p), qGreen(p), qBlue(p)};
}

Rgb CellCenter(const QImage& image, int x, int y) {
    const BPoint center = GemCenter(x, y);
    return PixelAt(image, static_cast<int>(center.x), static_cast<int>(center.y));
}

Rgb GemRing(Rgb base, int d) {
    if (d == 9)
        return {40, 40, 40};
    const int step = 8 - std::max(d, 3);
    return {base.r + 10 * step, base.g + 10 * step, base.b + 10 * step};
}

Rgb MagicRing(int d) {
    return d > 7 ? Rgb{200, 0, 0} : (d > 5 ? Rgb{0, 200, 0} : Rgb{0, 0, 200});
}

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

void FillView(BView& view, rgb_color color) {
    view.SetHighColor(color);
    view.FillRect(view.Bounds());
}

Box InkBox(const QImage& image, BRect area, Rgb background) {
    Box box{INT_MAX, INT_MAX, -1, -1};
    for (int y = static_cast<int>(area.top); y <= static_cast<int>(area.bottom); ++y) {
        for (int x = static_cast<int>(area.left); x <= static_cast<int>(area.right); ++x) {
            if (PixelAt(image, x, y) != background)
                box = {std::min(box.left, x), std::min(box.top, y), x > box.right ? x : box.right,
                       y};
        }
    }
    return box.right < 0 ? Box{} : box;
}

void PaintMarker(TumbleView& view) {
    const rgb_color old = view.HighColor();
    FillView(view, {255, 0, 255, 255});
    view.SetHighColor(old);
}

std::string MisdrawnCell(const TumbleView& view) {
    static constexpr Rgb kGems[] = {{200, 20, 20},   {20, 200, 20},   {20, 20, 200},  {20, 20, 20},
                                    {100, 100, 170}, {170, 100, 100}, {100, 140, 100}};
    const QImage image = view.Snapshot();
    for (int x = 0; x < kWellColumns; ++x) {
        for (int y = kFirstVisibleRow; y < kWellRows; ++y) {
            const uint8 v = Held(view, x, y);
            const Rgb shown = CellCenter(image, x, y);
            if (shown != (v == kEmpty  ? kWhite
                          : v == MAGIC ? MagicRing(0)
                                       : GemRing(kGems[v - 1], 0))) {
                std::ostringstream out;
                out << '(' << x << ", " << y << ") shows " << shown;
                return out.str();
            }
        }
    }
    return "";
}

bool ShowsMarker(const TumbleView& view, int x, int y) {
    return CellCenter(view.Snapshot(), x, y) == kMarker;
}
