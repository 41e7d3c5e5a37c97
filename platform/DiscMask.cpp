#include "platform/DiscMask.h"

#include "platform/DiscBlend.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>

namespace {

constexpr int kSamples = 8; // per axis, per device pixel
constexpr int kMaxRadius = 32;
constexpr int kMaxScale = 8;
constexpr int kMaxLayers = 16;

// Paints the part [from, to) of one mask row; x0 is the image column of mask column 0.
inline void paintRow(uint32_t* line, const uint8_t* cov, const DiscMask::Row& row, int x0, int from,
                     int to, uint32_t color) {
    if (from >= to)
        return;
    const int fullFrom = std::clamp(x0 + row.fullBegin, from, to);
    const int fullTo = std::clamp(x0 + row.fullEnd, fullFrom, to);
    for (int x = from; x < fullFrom; ++x)
        line[x] = BlendPixel(line[x], color, cov[x - x0]);
    std::fill(line + fullFrom, line + fullTo, color);
    for (int x = fullTo; x < to; ++x)
        line[x] = BlendPixel(line[x], color, cov[x - x0]);
}

} // namespace

DiscMask::DiscMask(int radius, int scale)
    : radius_(radius), scale_(scale), size_((2 * radius + 1) * scale),
      coverage_(static_cast<size_t>(size_) * size_), rows_(size_) {
    const double center = size_ / 2.0;
    const double r = (radius + 0.5) * scale;
    const double r2 = r * r;
    for (int j = 0; j < size_; ++j) {
        Row& row = rows_[j];
        row.begin = size_;
        row.end = 0;
        row.fullBegin = size_;
        row.fullEnd = 0;
        for (int i = 0; i < size_; ++i) {
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                const double y = j + (sy + 0.5) / kSamples - center;
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = i + (sx + 0.5) / kSamples - center;
                    if (x * x + y * y <= r2)
                        ++inside;
                }
            }
            const uint8_t a = static_cast<uint8_t>((inside * 255 + kSamples * kSamples / 2) /
                                                   (kSamples * kSamples));
            coverage_[static_cast<size_t>(j) * size_ + i] = a;
            if (a != 0) {
                row.begin = std::min(row.begin, i);
                row.end = std::max(row.end, i + 1);
            }
            if (a == 255) {
                row.fullBegin = std::min(row.fullBegin, i);
                row.fullEnd = std::max(row.fullEnd, i + 1);
            }
        }
        if (row.fullBegin >= row.fullEnd)
            row.fullBegin = row.fullEnd = row.begin;
    }
}

void StampDiscs(QImage& image, int cx, int cy, const DiscLayer* layers, int count) {
    count = std::min(count, kMaxLayers);
    if (count <= 0)
        return;
    const int scale = layers[0].mask->scale();
    const int width = image.width();
    const int height = image.height();
    const qsizetype stride = image.bytesPerLine();
    uchar* bits = image.bits();

    int x0[kMaxLayers];
    int y0[kMaxLayers];
    int top = INT_MAX;
    int bottom = INT_MIN;
    for (int i = 0; i < count; ++i) {
        const DiscMask& m = *layers[i].mask;
        x0[i] = (cx - m.radius()) * scale;
        y0[i] = (cy - m.radius()) * scale;
        top = std::min(top, y0[i]);
        bottom = std::max(bottom, y0[i] + m.size());
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, height);

    // Per row: what the later layers cover fully. The discs share a center, so their full
    // spans on a row are nested and their union is one span.
    int clipFrom[kMaxLayers];
    int clipTo[kMaxLayers];
    for (int y = top; y < bottom; ++y) {
        int coverFrom = 0;
        int coverTo = 0;
        for (int i = count - 1; i >= 0; --i) {
            clipFrom[i] = coverFrom;
            clipTo[i] = coverTo;
            const DiscMask& m = *layers[i].mask;
            const int j = y - y0[i];
            if (j < 0 || j >= m.size())
                continue;
            const DiscMask::Row& row = m.row(j);
            const int from = x0[i] + row.fullBegin;
            const int to = x0[i] + row.fullEnd;
            if (from >= to)
                continue;
            if (coverFrom >= coverTo || (from <= coverTo && to >= coverFrom)) {
                coverFrom = coverFrom < coverTo ? std::min(coverFrom, from) : from;
                coverTo = std::max(coverTo, to);
            }
        }
        auto* line = reinterpret_cast<uint32_t*>(bits + y * stride);
        for (int i = 0; i < count; ++i) {
            const DiscMask& m = *layers[i].mask;
            const int j = y - y0[i];
            if (j < 0 || j >= m.size())
                continue;
            const DiscMask::Row& row = m.row(j);
            const int begin = std::max(x0[i] + row.begin, 0);
            const int end = std::min(x0[i] + row.end, width);
            if (begin >= end)
                continue;
            const uint8_t* cov = m.coverage(j);
            const uint32_t color = 0xff000000u | layers[i].rgb;
            if (clipFrom[i] >= clipTo[i]) {
                paintRow(line, cov, row, x0[i], begin, end, color);
                continue;
            }
            paintRow(line, cov, row, x0[i], begin, std::min(end, clipFrom[i]), color);
            paintRow(line, cov, row, x0[i], std::max(begin, clipTo[i]), end, color);
        }
    }
}

const DiscMask* CachedDiscMask(int radius, int scale) {
    static std::array<std::array<std::unique_ptr<DiscMask>, kMaxScale + 1>, kMaxRadius + 1> cache;
    if (radius < 0 || radius > kMaxRadius || scale < 1 || scale > kMaxScale)
        return nullptr;
    auto& slot = cache[radius][scale];
    if (!slot)
        slot = std::make_unique<DiscMask>(radius, scale);
    return slot.get();
}
