// The well's picture (frame, cells, gems, the piece and the score strip) and the text it is
// drawn with. A probed view pixel must be one color across all its device pixels, so
// scale_tests runs these on a double-density screen as they are.
#include "platform/GameFont.h"
#include "tests/GameTest.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <tuple>

namespace {

constexpr rgb_color kMarker = {1, 99, 7, 255}; // a color the game never paints
constexpr Rgb kGemBases[] = {{200, 20, 20},   {20, 200, 20},   {20, 20, 200},  {20, 20, 20},
                             {100, 100, 170}, {170, 100, 100}, {100, 140, 100}};

// The view pixel's color when its device pixels agree, else (-1, -1, -1).
Rgb Px(const QImage& img, int x, int y) {
    const int s = static_cast<int>(img.devicePixelRatio());
    const QRgb p = img.pixel(x * s, y * s);
    for (int i = 1; i < s * s; ++i)
        if (img.pixel(x * s + i % s, y * s + i / s) != p)
            return {-1, -1, -1};
    return {qRed(p), qGreen(p), qBlue(p)};
}

class Drawing : public ::testing::Test {
protected:
    void SetUp() override { FillView(view, kMarker); }
    void ExpectWell(bool withPiece);
    TumbleView view{kViewFrame};
};

// The frame's ten outlines shade inwards; the column x 150 and the row y 370 beside it stay
// unpainted; the score sits white-edged in its strip, centered on its baseline. Each visible
// cell shows the board, the piece's gems over it if asked: blank white, or a gem's rings out to
// radius 9 on its axes and, ten pixels left and below, what lay under it.
void Drawing::ExpectWell(bool withPiece) {
    const QImage img = view.Snapshot();
    int wrong = 0, ink = 0, left = 160, right = 0, bottom = 0;
    const auto expect = [&](int x, int y, Rgb want) {
        if (Px(img, x, y) != want && wrong++ == 0)
            ADD_FAILURE() << Px(img, x, y) << " at " << x << ", " << y << " instead of " << want;
    };
    for (int y = 0; y <= 400; ++y) {
        for (int x = 0; x <= 160; ++x) {
            const int outline = std::min({x, y, 160 - x, 380 - y});
            if (y >= 380 && (x < 3 || x > 157))
                expect(x, y, kWhite);
            else if (y < 380 && outline < 10)
                expect(x, y, {30 + 10 * outline, 20 + 10 * outline, 200 - 15 * outline});
            else if (y < 380 && (x == 150 || y == 370))
                expect(x, y, ToRgb(kMarker));
            else if (y >= 380 && Px(img, x, y) != kWhite) {
                ink += Px(img, x, y) == Rgb{20, 20, 20};
                left = std::min(left, x), right = std::max(right, x), bottom = y;
            }
        }
    }
    EXPECT_EQ(bottom, 398);
    EXPECT_NEAR((left + right) / 2.0, 80, 3);
    EXPECT_GT(ink, 5) << "pixels in the text color";
    for (int x = 0; x < kWellColumns; ++x) {
        for (int y = kFirstVisibleRow; y < kWellRows; ++y) {
            uint8 v = view.board[x][y];
            Rgb under = ToRgb(kMarker);
            for (int gem = 0; gem < kPieceGems && withPiece; ++gem)
                if (view.piecePos[2 * gem] == x && view.piecePos[2 * gem + 1] == y)
                    v = view.pieceColor[gem], under = kWhite;
            const BRect r = CellRect(x, y);
            for (int py = static_cast<int>(r.top); py <= r.bottom && v == kEmpty; ++py)
                for (int px = static_cast<int>(r.left); px <= r.right; ++px)
                    expect(px, py, kWhite);
            const int cx = static_cast<int>(GemCenter(x, y).x),
                      cy = static_cast<int>(GemCenter(x, y).y);
            for (int d = 0; d <= 10 && v != kEmpty; ++d) {
                const Rgb ring =
                    d == 10 ? under : (v == MAGIC ? MagicRing(d) : GemRing(kGemBases[v - 1], d));
                for (const auto& [dx, dy] : {std::pair{-1, 0}, {0, 1}, {1, 0}, {0, -1}})
                    if (d < 10 || dx < dy)
                        expect(cx + d * dx, cy + d * dy, ring);
            }
        }
    }
    EXPECT_EQ(wrong, 0) << "wrong pixels";
}

TEST_F(Drawing, WellShowsTheBoardThePieceAndTheFrame) {
    SetBoard(view, "1234567\n"
                   "M2.4..4\n"
                   "7654321");
    PlacePiece(view, 2, 7, "1M7");
    view.score = 77777;
    view.DrawMisc();
    view.Redraw();
    ExpectWell(true);
    view.drawOn = 0;
    view.DrawPiece();
    ExpectWell(false);
    // Between a landing and the next piece all its gems lie at (0, 0); a fresh piece shows its
    // bottom gem only.
    std::fill(std::begin(view.piecePos), std::end(view.piecePos), 0);
    for (uint8 on : {1, 0}) {
        view.drawOn = on;
        view.DrawPiece();
    }
    PlacePiece(view, 3, 2, "12M");
    view.drawOn = 1;
    view.DrawPiece();
    ExpectWell(true);
}

// Lines of text are laid out once and kept; drawn fresh or kept, a line must give the pixels
// and the pen advance that drawing the string directly gives.
TEST_F(Drawing, KeptTextLooksAndMeasuresLikeDirectlyDrawnText) {
    QImage expected = view.Snapshot();
    view.SetHighColor(0, 0, 0);
    for (int round = 0; round < 2; ++round) {
        QPainter painter(&expected);
        painter.setRenderHints(QPainter::TextAntialiasing | QPainter::Antialiasing);
        for (const auto& [text, size, x, y] : {std::tuple{"Tumblegem", 28, 8.0f, 150.0f},
                                               {"Last round: -42", 14, 33.25f, 230.0f},
                                               {"Score: 0", 22, 40.75f, 398.0f}}) {
            QFont font = GameFont();
            font.setPixelSize(size);
            painter.setFont(font);
            painter.drawText(QPointF(x + 0.5, y + 0.5), QString::fromLatin1(text));
            view.SetFontSize(static_cast<float>(size));
            view.MovePenTo(x, y);
            view.DrawString(text);
            EXPECT_FLOAT_EQ(view.PenLocation().x,
                            x + QFontMetricsF(font).horizontalAdvance(QString::fromLatin1(text)));
        }
        painter.end();
        EXPECT_TRUE(view.Snapshot() == expected) << "round " << round;
    }
}

} // namespace
