// Drawing: the full well, the same without its text, the title screen, and the well's circles
// alone, each painted by a painter of its own on a bare image, for comparison.
#include "bench/Counters.h"
#include "bench/Scenes.h"

#include <QImage>
#include <QPainter>

namespace {

// A view that is never shown: Sync has nothing to show, so this is drawing alone.
TumbleView& HiddenWell() {
    static TumbleView& view = KeptView();
    static bool ready = false;
    if (!ready) {
        StartQuietRound(view);
        FillWithGems(view);
        PlacePiece(view, 3, 6, "1M2");
        view.score = 123456;
        ready = true;
    }
    return view;
}

void BM_Redraw(benchmark::State& state) {
    TumbleView& view = HiddenWell();
    view.Redraw(); // warm Qt's glyph cache
    AllocationMeter meter(state);
    for (auto _ : state)
        view.Redraw();
}
BENCHMARK(BM_Redraw);

// Redraw's steps minus the score text, through the same public members.
void BM_RedrawWithoutText(benchmark::State& state) {
    TumbleView& view = HiddenWell();
    view.Redraw();
    AllocationMeter meter(state);
    for (auto _ : state) {
        for (int32 x = 0; x < kWellColumns; ++x) {
            for (int32 y = kFirstVisibleRow; y < kWellRows; ++y) {
                if (view.board[x][y] == MAGIC) {
                    view.DrawMagic(x, y);
                    continue;
                }
                view.drawOn = 1;
                view.SetOurColor(x, y);
                if (view.drawOn != 0)
                    view.DrawGem(x, y);
                else
                    view.DrawBlank(x, y);
            }
        }
        view.SetHighColor(255, 255, 255);
        view.FillRect(kScoreStrip);
        view.drawOn = 1;
        view.DrawPiece();
    }
}
BENCHMARK(BM_RedrawWithoutText);

// Redraw on a shown window: the drawing plus the Sync that puts it on screen.
void BM_RedrawShown(benchmark::State& state) {
    Stage& stage = SharedShownStage();
    TumbleView& view = *stage.view;
    StartQuietRound(view);
    FillWithGems(view);
    PlacePiece(view, 3, 6, "1M2");
    view.score = 123456;
    view.Redraw();
    AllocationMeter meter(state);
    for (auto _ : state)
        view.Redraw();
}
BENCHMARK(BM_RedrawShown);

void BM_TitleDraw(benchmark::State& state) {
    static TumbleView& view = KeptView();
    view.highScore = 98765;
    view.score = 4321;
    view.Draw(view.Bounds());
    AllocationMeter meter(state);
    for (auto _ : state)
        view.Draw(view.Bounds());
}
BENCHMARK(BM_TitleDraw);

// The well's circles as the kit draws them, one QPainter and one anti-aliased ellipse each,
// without the view around them.
void PaintDisc(QImage& image, int cx, int cy, int radius, QColor color) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(QRectF(cx - radius, cy - radius, 2 * radius + 1, 2 * radius + 1));
}

void BM_RedrawPainterPerCircle(benchmark::State& state) {
    TumbleView& view = HiddenWell();
    const int scale = static_cast<int>(view.Snapshot().devicePixelRatio());
    QImage image((static_cast<int>(kViewRight) + 1) * scale,
                 (static_cast<int>(kViewBottom) + 1) * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    static constexpr QRgb kGemRgb[] = {0,        0xc81414, 0x14c814, 0x1414c8,
                                       0x141414, 0x6464aa, 0xaa6464, 0x648c64};
    static constexpr QRgb kMagicRgb[] = {0xc80000, 0x00c800, 0x0000c8};
    static constexpr int kMagicRadius[] = {9, 7, 5};
    AllocationMeter meter(state);
    for (auto _ : state) {
        for (int x = 0; x < kWellColumns; ++x) {
            for (int y = kFirstVisibleRow; y < kWellRows; ++y) {
                const int cx = static_cast<int>(GemCenter(x, y).x);
                const int cy = static_cast<int>(GemCenter(x, y).y);
                const uint8 v = view.board[x][y];
                if (v == MAGIC) {
                    for (int ring = 0; ring < 3; ++ring)
                        PaintDisc(image, cx, cy, kMagicRadius[ring], QColor(kMagicRgb[ring]));
                    continue;
                }
                QColor c(kGemRgb[v]);
                PaintDisc(image, cx, cy, 9, QColor(40, 40, 40));
                for (int r = 8; r >= 3; --r) {
                    PaintDisc(image, cx, cy, r, c);
                    c.setRgb((c.red() + 10) & 0xff, (c.green() + 10) & 0xff,
                             (c.blue() + 10) & 0xff);
                }
            }
        }
    }
    benchmark::DoNotOptimize(image.constBits());
}
BENCHMARK(BM_RedrawPainterPerCircle);

} // namespace
