// Discs drawn around one center are composed together (and cached) rather than painted one
// by one; the pixels must be exactly those of painting each disc in turn.
#include "platform/DiscBlend.h"
#include "platform/DiscCache.h"
#include "tests/GameTest.h"

#include <utility>
#include <vector>

namespace {

struct Disc {
    int radius;
    uint32_t rgb;
};
using Stack = std::vector<Disc>;

// Every pixel of every disc's mask blended in turn: slow and plain.
void PaintOneByOne(QImage& image, int cx, int cy, const Stack& discs, int scale) {
    for (const Disc& disc : discs) {
        const DiscMask& m = *CachedDiscMask(disc.radius, scale);
        const QPoint at = QPoint(cx - disc.radius, cy - disc.radius) * scale;
        for (int i = 0; i < m.size() * m.size(); ++i)
            if (const QPoint p = at + QPoint(i % m.size(), i / m.size()); image.valid(p))
                image.setPixel(p, BlendPixel(image.pixel(p), 0xff000000u | disc.rgb,
                                             m.coverage(i / m.size())[i % m.size()]));
    }
}

// clang-format off
const Stack kStacks[] = {
    {{9, 0x282828}, {8, 0xc81414}, {7, 0xd21e1e}, {6, 0xdc2828}, {5, 0xe63232}, {4, 0xf03c3c},
     {3, 0xfa4646}},                               // a gem
    {{9, 0xc80000}, {7, 0x00c800}, {5, 0x0000c8}}, // a magic gem
    {{3, 0x102030}, {9, 0x405060}, {5, 0x708090}}, // a larger disc after a smaller one
    {{0, 0xffffff}, {1, 0x000000}},
    {{14, 0x336699}, {2, 0x996633}}, // larger than the cache holds
};
// clang-format on

// Centers inside the image and across each edge. The stacks in several colors are more than
// the cache has slots, so each is composed, copied, pushed out and composed again.
TEST(DiscStack, ComposedAndCachedStacksMatchPaintingEachDisc) {
    constexpr int kVariants = DiscStackCache::kSlots / 4 + 1;
    for (int scale : {1, 2, 3}) {
        DiscStackCache cache;
        cache.Prepare(scale);
        QImage background(60 * scale, 50 * scale, QImage::Format_RGB32);
        for (int i = 0; i < background.width() * background.height(); ++i)
            background.setPixel(i % background.width(), i / background.width(), i * 2654435761u);
        for (int round = 0; round < 2 * kVariants; ++round) {
            for (Stack stack : kStacks) {
                std::vector<DiscLayer> layers;
                for (Disc& d : stack) {
                    d.rgb ^= 0x010203u * static_cast<uint32_t>(round % kVariants);
                    layers.push_back(DiscLayer{CachedDiscMask(d.radius, scale), d.rgb});
                }
                for (const auto& [cx, cy] :
                     {std::pair{30, 25}, {0, 0}, {58, 3}, {4, 48}, {59, 49}, {-5, 20}}) {
                    QImage expected = background, composed = background, cached = background;
                    PaintOneByOne(expected, cx, cy, stack, scale);
                    StampDiscs(composed, cx, cy, layers.data(), static_cast<int>(layers.size()));
                    cache.Stamp(cached, cx, cy, layers.data(), static_cast<int>(layers.size()));
                    EXPECT_EQ(composed, expected) << scale << " at " << cx << ", " << cy;
                    EXPECT_EQ(cached, expected) << scale << " at " << cx << ", " << cy;
                }
            }
        }
    }
}

// The view holds a gem's discs back until something else touches the buffer: a fill drawn
// after them must still cover them.
TEST(DiscStack, LaterFillsCoverHeldDiscs) {
    TumbleView view(kViewFrame);
    view.SetOurColor(1);
    view.DrawGem(2, 5);
    FillView(view, {1, 2, 3});
    EXPECT_EQ(InkBox(view.Snapshot(), kViewBounds, {1, 2, 3}).right(), -1);
}

} // namespace
