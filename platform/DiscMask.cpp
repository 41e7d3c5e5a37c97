#include "platform/DiscMask.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <memory>

namespace {

constexpr int kSamples = 8; // per axis, per device pixel
constexpr int kMaxRadius = 32;
constexpr int kMaxScale = 8;

inline uint32_t blend(uint32_t dst, uint32_t src, unsigned alpha) {
    const unsigned inv = 255 - alpha;
    uint32_t out = 0xff000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const unsigned s = (src >> shift) & 0xff;
        const unsigned d = (dst >> shift) & 0xff;
        out |= ((s * alpha + d * inv + 127) / 255) << shift;
    }
    return out;
}

} // namespace

DiscMask::DiscMask(int radius, int scale)
    : radius_(radius), scale_(scale), size_((2 * radius + 1) * scale),
      coverage_(static_cast<size_t>(size_) * size_), rows_(size_) {
    const double centre = size_ / 2.0;
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
                const double y = j + (sy + 0.5) / kSamples - centre;
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = i + (sx + 0.5) / kSamples - centre;
                    if (x * x + y * y <= r2)
                        ++inside;
                }
            }
            const uint8_t a =
                static_cast<uint8_t>((inside * 255 + kSamples * kSamples / 2) / (kSamples * kSamples));
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

void DiscMask::Stamp(QImage& image, int cx, int cy, uint32_t rgb) const {
    const uint32_t colour = 0xff000000u | rgb;
    const int x0 = (cx - radius_) * scale_;
    const int y0 = (cy - radius_) * scale_;
    const int width = image.width();
    const int height = image.height();
    for (int j = 0; j < size_; ++j) {
        const int y = y0 + j;
        if (y < 0 || y >= height)
            continue;
        const Row& row = rows_[j];
        if (row.begin >= row.end)
            continue;
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        const uint8_t* cov = &coverage_[static_cast<size_t>(j) * size_];
        const auto edge = [&](int from, int to) {
            for (int i = from; i < to; ++i) {
                const int x = x0 + i;
                if (x >= 0 && x < width && cov[i] != 0)
                    line[x] = cov[i] == 255 ? colour : blend(line[x], colour, cov[i]);
            }
        };
        edge(row.begin, row.fullBegin);
        const int fullFrom = std::max(x0 + row.fullBegin, 0);
        const int fullTo = std::min(x0 + row.fullEnd, width);
        if (fullFrom < fullTo)
            std::fill(line + fullFrom, line + fullTo, colour);
        edge(row.fullEnd, row.end);
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
