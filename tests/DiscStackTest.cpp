// Discs drawn around one center are composed together (and cached) rather than painted one
// by one; the pixels must be exactly those of painting each disc in turn.
#include "platform/DiscCache.h"
#include "platform/DiscMask.h"
#include "tests/GameTest.h"

#include <QImage>
#include <gtest/gtest.h>

#include <vector>

namespace {

struct Disc {
    int radius;
    uint32_t rgb;
};

// Every pixel blended by its coverage, one disc after another: slow and plain.
void PaintOneByOne(QImage& image, int cx, int cy, const std::vector<Disc>& discs, int scale) {
    for (const Disc& disc : discs) {
        const DiscMask& m = *CachedDiscMask(disc.radius, scale);
        const int x0 = (cx - disc.radius) * scale;
        const int y0 = (cy - disc.radius) * scale;
        for (int j = 0; j < m.size(); ++j) {
            for (int i = 0; i < m.size(); ++i) {
                const int x = x0 + i;
                const int y = y0 + j;
                if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
                    continue;
                const unsigned a = m.coverage(j)[i];
                const QRgb d = image.pixel(x, y);
                const auto mix = [a](unsigned s, unsigned t) {
                    return (s * a + t * (255 - a) + 127) / 255;
                };
                image.setPixel(x, y,
                               qRgb(mix((disc.rgb >> 16) & 0xff, qRed(d)),
                                    mix((disc.rgb >> 8) & 0xff, qGreen(d)),
                                    mix(disc.rgb & 0xff, qBlue(d))));
            }
        }
    }
}

QImage Background(int scale) {
    QImage image(60 * scale, 50 * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x + y) * 3 % 256));
    return image;
}

std::vector<DiscLayer> Layers(const std::vector<Disc>& discs, int scale) {
    std::vector<DiscLayer> layers;
    for (const Disc& d : discs)
        layers.push_back(DiscLayer{CachedDiscMask(d.radius, scale), d.rgb});
    return layers;
}

const std::vector<std::vector<Disc>> kStacks = {
    // a gem: outline, then six discs brightening inward
    {{9, 0x282828},
     {8, 0xc81414},
     {7, 0xd21e1e},
     {6, 0xdc2828},
     {5, 0xe63232},
     {4, 0xf03c3c},
     {3, 0xfa4646}},
    {{9, 0xc80000}, {7, 0x00c800}, {5, 0x0000c8}}, // a magic gem
    {{3, 0x102030}, {9, 0x405060}, {5, 0x708090}}, // a larger disc after a smaller one
    {{0, 0xffffff}, {1, 0x000000}},
    {{14, 0x336699}, {2, 0x996633}}, // larger than the cache holds
};
// Centers inside the image and across each of its edges.
const int kCenters[][2] = {{30, 25}, {0, 0}, {58, 3}, {4, 48}, {59, 49}, {-5, 20}};

TEST(DiscStack, ComposedAndCachedStacksMatchPaintingEachDisc) {
    for (int scale : {1, 2, 3}) {
        DiscStackCache cache;
        cache.Prepare(scale);
        for (const auto& stack : kStacks) {
            for (const auto& center : kCenters) {
                QImage expected = Background(scale);
                PaintOneByOne(expected, center[0], center[1], stack, scale);
                const std::vector<DiscLayer> layers = Layers(stack, scale);
                const int count = static_cast<int>(layers.size());

                QImage composed = Background(scale);
                StampDiscs(composed, center[0], center[1], layers.data(), count);
                EXPECT_EQ(composed, expected) << "scale " << scale << " center " << center[0];

                // Twice: composed on the first use, copied from the cache on the second.
                for (int use = 0; use < 2; ++use) {
                    QImage cached = Background(scale);
                    cache.Stamp(cached, center[0], center[1], layers.data(), count);
                    EXPECT_EQ(cached, expected)
                        << "scale " << scale << " center " << center[0] << " use " << use;
                }
            }
        }
    }
}

TEST(DiscStack, CacheKeepsStacksApartWhenItOverflows) {
    constexpr int kStacksUsed = 2 * DiscStackCache::kSlots + 3;
    DiscStackCache cache;
    cache.Prepare(1);
    QImage expected = Background(1);
    QImage cached = Background(1);
    for (int round = 0; round < 2; ++round) {
        for (int k = 0; k < kStacksUsed; ++k) {
            const std::vector<Disc> stack = {{6, 0x010203u * static_cast<uint32_t>(k + 1)},
                                             {4, 0xfefefeu - static_cast<uint32_t>(k)}};
            const int cx = 8 + (k * 13) % 48;
            const int cy = 8 + (k * 7) % 36;
            PaintOneByOne(expected, cx, cy, stack, 1);
            const std::vector<DiscLayer> layers = Layers(stack, 1);
            cache.Stamp(cached, cx, cy, layers.data(), static_cast<int>(layers.size()));
        }
    }
    EXPECT_EQ(cached, expected);
}

// The view holds discs back until something else touches the buffer. Taking a snapshot after
// every call forces each disc out at once; both ways must give the same picture.
void DrawScene(TumbleView& view, bool flushEachStep) {
    const auto step = [&] {
        if (flushEachStep)
            (void)view.Snapshot();
    };
    view.SetHighColor(255, 255, 255);
    view.FillRect(kViewBounds);
    step();
    view.SetOurColor(1);
    view.DrawGem(2, 5);
    step();
    // Overlapping discs around neighboring centers, then a rectangle across pending discs.
    for (int i = 0; i < 4; ++i) {
        view.SetHighColor(static_cast<uint8>(60 * i), 100, static_cast<uint8>(200 - 40 * i));
        view.FillEllipse(BPoint(50 + 5 * i, 60), 9, 9);
        step();
        view.FillEllipse(BPoint(50 + 5 * i, 60), 4, 4);
        step();
    }
    view.SetHighColor(0, 0, 0);
    view.FillRect(BRect(55, 50, 58, 70));
    step();
    // More discs around one center than are held back at once.
    for (int r = 12; r >= 1; --r) {
        view.SetHighColor(static_cast<uint8>(20 * r), static_cast<uint8>(255 - 20 * r), 90);
        view.FillEllipse(BPoint(100, 150), static_cast<float>(r), static_cast<float>(r));
        step();
    }
    view.board[3][10] = MAGIC;
    view.DrawMagic(3, 10);
    step();
    view.SetHighColor(20, 20, 20);
    view.MovePenTo(10, 300);
    view.DrawString("Score: 42");
    step();
    view.SetOurColor(4);
    view.DrawGem(6, 19);
}

TEST(DiscStack, ViewPicturesDoNotDependOnWhenDiscsAreStamped) {
    TumbleView held(kViewFrame);
    TumbleView eager(kViewFrame);
    DrawScene(held, false);
    DrawScene(eager, true);
    EXPECT_EQ(held.Snapshot(), eager.Snapshot());
}

} // namespace
