// The well's picture: frame, cells, gems, the piece and the score strip. A probed view pixel must
// be one color across all its device pixels, so scale_tests runs these on a double-density screen
// as they are.
#include "tests/GameTest.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr Rgb kMarker{1, 99, 7}; // a color the game never paints

// How far an anti-aliased ring may lean towards the color outside it: a sixteenth of the way,
// and two levels, but never as far as a gem's next ring, 10 levels darker.
int Lean(Rgb ring, Rgb outside) {
    return 2 + std::max({std::abs(ring.r - outside.r), std::abs(ring.g - outside.g),
                         std::abs(ring.b - outside.b)}) /
                   16;
}

// The frame's ten outlines shade inwards; the column x 150 and the row y 370 beside it stay
// unpainted; the score strip holds the score alone. Each visible cell shows the board, the
// piece's gems over it if asked: blank white, or a gem's rings out to radius 9 on its axes and,
// ten pixels left and below, what lay under it. Edges are anti-aliased, so a ring may lean a
// little towards the ring (or the blank) outside it.
void ExpectWell(const TumbleView& view, bool withPiece) {
    const QImage img = view.Snapshot();
    int wrong = 0;
    const auto expect = [&](int x, int y, Rgb want, int tolerance = 0) {
        if (!Near(img, x, y, want, tolerance) && wrong++ == 0)
            ADD_FAILURE() << PixelAt(img, x, y) << " at " << x << ", " << y << " not " << want;
    };
    for (int y = 0; y < 380; ++y) {
        for (int x = 0, outline; x <= 160; ++x) {
            if (outline = std::min({x, y, 160 - x, 380 - y}); outline < 10)
                expect(x, y, {30 + 10 * outline, 20 + 10 * outline, 200 - 15 * outline});
            else if (x == 150 || y == 370)
                expect(x, y, kMarker);
        }
    }
    ExpectLine(img, 380, 400, "Score: 77777", 22, 398, kWhite);
    for (int x = 0; x < kWellColumns; ++x) {
        for (int y = kFirstVisibleRow; y < kWellRows; ++y) {
            const auto [v, piece] = Held(view, x, y, withPiece);
            const BRect r = CellRect(x, y);
            for (int py = static_cast<int>(r.top); py <= r.bottom && v == kEmpty; ++py)
                for (int px = static_cast<int>(r.left); px <= r.right; ++px)
                    expect(px, py, kWhite);
            const QPoint c(static_cast<int>(GemCenter(x, y).x),
                           static_cast<int>(GemCenter(x, y).y));
            for (int d = 0; d <= 10 && v != kEmpty; ++d)
                for (const auto& [dx, dy] : {std::pair{-1, 0}, {0, 1}, {1, 0}, {0, -1}})
                    if (d < 10 || dx < dy)
                        expect(c.x() + d * dx, c.y() + d * dy,
                               d < 10 ? GemRing(v, d) : (piece ? kWhite : kMarker),
                               d < 10 ? Lean(GemRing(v, d), d < 9 ? GemRing(v, d + 1) : kWhite)
                                      : 0);
        }
    }
    EXPECT_EQ(wrong, 0) << "wrong pixels";
}

TEST(Drawing, WellShowsTheBoardThePieceAndTheFrame) {
    TumbleView view(kViewFrame);
    FillView(view, kMarker);
    SetBoard(view, "1234567\n"
                   "M2.4..4\n"
                   "7654321");
    PlacePiece(view, 2, 7, "1M7");
    view.score = 77777;
    view.DrawMisc();
    view.Redraw();
    ExpectWell(view, true);
    // Erased, its gems then lie at (0, 0) between a landing and the next piece, drawn or not.
    for (uint8 on : {0, 1, 0}) {
        view.drawOn = on;
        view.DrawPiece();
        std::fill(std::begin(view.piecePos), std::end(view.piecePos), 0);
    }
    ExpectWell(view, false);
    // A fresh piece shows its bottom gem only.
    PlacePiece(view, 3, 2, "12M");
    view.drawOn = 1;
    view.DrawPiece();
    ExpectWell(view, true);
}

} // namespace
