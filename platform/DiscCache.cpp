#include "platform/DiscCache.h"

#include "platform/DiscBlend.h"

#include <QImage>

#include <algorithm>

namespace {

uint64_t KeyOf(const DiscLayer* layers, int count) {
    uint64_t h = 1469598103934665603ull ^ static_cast<uint64_t>(count);
    for (int i = 0; i < count; ++i) {
        h = (h ^ reinterpret_cast<uintptr_t>(layers[i].mask)) * 1099511628211ull;
        h = (h ^ layers[i].rgb) * 1099511628211ull;
    }
    return h;
}

bool SameLayers(const DiscLayer* a, const DiscLayer* b, int count) {
    for (int i = 0; i < count; ++i) {
        if (a[i].mask != b[i].mask || a[i].rgb != b[i].rgb)
            return false;
    }
    return true;
}

} // namespace

void DiscStackCache::Prepare(int scale) {
    scale_ = scale;
    const size_t side = static_cast<size_t>(2 * kCachedRadius + 1) * static_cast<size_t>(scale);
    // Each disc's anti-aliased rim is under four pixels per pixel of its diameter.
    const size_t tints = kMaxLayers * 4 * side;
    for (Slot& slot : slots_) {
        slot.count = 0;
        slot.lastUse = 0;
        slot.rows.reserve(side);
        slot.pixels.reserve(side * side);
        slot.edges.reserve(tints);
        slot.tints.reserve(tints);
    }
}

DiscStackCache::Slot& DiscStackCache::Find(const DiscLayer* layers, int count, uint64_t key) {
    Slot* oldest = &slots_[0];
    for (Slot& slot : slots_) {
        if (slot.count == count && slot.key == key && SameLayers(slot.layers, layers, count))
            return slot;
        if (slot.lastUse < oldest->lastUse)
            oldest = &slot;
    }
    Compose(*oldest, layers, count, key);
    return *oldest;
}

void DiscStackCache::Compose(Slot& slot, const DiscLayer* layers, int count, uint64_t key) {
    slot.key = key;
    slot.count = count;
    std::copy(layers, layers + count, slot.layers);
    int radius = 0;
    for (int i = 0; i < count; ++i)
        radius = std::max(radius, layers[i].mask->radius());
    const int n = (2 * radius + 1) * scale_;
    slot.radius = radius;
    slot.size = n;
    slot.rows.assign(static_cast<size_t>(n), RowSpans{});
    slot.pixels.assign(static_cast<size_t>(n) * n, 0);
    slot.edges.clear();
    slot.tints.clear();

    for (int j = 0; j < n; ++j) {
        RowSpans& spans = slot.rows[static_cast<size_t>(j)];
        int covered = n;
        int coveredEnd = 0;
        spans.fixed = n;
        spans.fixedEnd = 0;
        for (int i = 0; i < count; ++i) {
            const DiscMask& m = *layers[i].mask;
            const int inset = (radius - m.radius()) * scale_;
            const int mj = j - inset;
            if (mj < 0 || mj >= m.size())
                continue;
            const DiscMask::Row& row = m.row(mj);
            if (row.begin >= row.end)
                continue;
            covered = std::min(covered, inset + row.begin);
            coveredEnd = std::max(coveredEnd, inset + row.end);
            if (row.fullBegin < row.fullEnd) {
                // Concentric full spans are nested: their union is the widest.
                spans.fixed = std::min(spans.fixed, inset + row.fullBegin);
                spans.fixedEnd = std::max(spans.fixedEnd, inset + row.fullEnd);
            }
            // Paint this layer in order: in the fixed span the result no longer depends on
            // what lay under the stack.
            uint32_t* line = &slot.pixels[static_cast<size_t>(j) * n];
            const uint8_t* cov = m.coverage(mj);
            const uint32_t color = 0xff000000u | layers[i].rgb;
            for (int x = row.begin; x < row.end; ++x)
                line[inset + x] = BlendPixel(line[inset + x], color, cov[x]);
        }
        if (spans.fixed >= spans.fixedEnd)
            spans.fixed = spans.fixedEnd = covered;
        // Outside the fixed span every pixel depends on what is under it: keep its tints.
        spans.firstEdge = static_cast<uint32_t>(slot.edges.size());
        const auto keepTints = [&](int from, int to) {
            for (int x = from; x < to; ++x) {
                Edge edge{x, static_cast<uint32_t>(slot.tints.size()), 0};
                for (int i = 0; i < count; ++i) {
                    const DiscMask& m = *layers[i].mask;
                    const int inset = (radius - m.radius()) * scale_;
                    const int mj = j - inset;
                    const int mx = x - inset;
                    if (mj < 0 || mj >= m.size() || mx < 0 || mx >= m.size())
                        continue;
                    const uint8_t c = m.coverage(mj)[mx];
                    if (c != 0) {
                        slot.tints.push_back(Tint{0xff000000u | layers[i].rgb, c});
                        ++edge.tintCount;
                    }
                }
                if (edge.tintCount != 0)
                    slot.edges.push_back(edge);
            }
        };
        keepTints(covered, spans.fixed);
        keepTints(spans.fixedEnd, coveredEnd);
        spans.endEdge = static_cast<uint32_t>(slot.edges.size());
    }
}

void DiscStackCache::Stamp(QImage& image, int cx, int cy, const DiscLayer* layers, int count) {
    if (count <= 0)
        return;
    bool cacheable = count <= kMaxLayers && scale_ > 0;
    for (int i = 0; i < count && cacheable; ++i)
        cacheable = layers[i].mask->scale() == scale_ && layers[i].mask->radius() <= kCachedRadius;
    if (!cacheable) {
        StampDiscs(image, cx, cy, layers, count);
        return;
    }
    Slot& slot = Find(layers, count, KeyOf(layers, count));
    slot.lastUse = ++clock_;

    const int n = slot.size;
    const int x0 = (cx - slot.radius) * scale_;
    const int y0 = (cy - slot.radius) * scale_;
    const int width = image.width();
    const int top = std::max(0, -y0);
    const int bottom = std::min(n, image.height() - y0);
    const qsizetype stride = image.bytesPerLine();
    uchar* bits = image.bits();
    const int left = std::max(0, -x0);
    const int right = std::min(n, width - x0);
    const Tint* tints = slot.tints.data();
    for (int j = top; j < bottom; ++j) {
        const RowSpans& spans = slot.rows[static_cast<size_t>(j)];
        // Indexed from the stack's left edge, which may lie left of the image.
        uint32_t* const imageRow = reinterpret_cast<uint32_t*>(bits + (y0 + j) * stride);
        const int fixedFrom = std::clamp(spans.fixed, left, right);
        const int fixedTo = std::clamp(spans.fixedEnd, fixedFrom, right);
        if (fixedFrom < fixedTo) {
            const uint32_t* from = slot.pixels.data() + static_cast<size_t>(j) * n;
            std::copy(from + fixedFrom, from + fixedTo, imageRow + (x0 + fixedFrom));
        }
        for (uint32_t e = spans.firstEdge; e < spans.endEdge; ++e) {
            const Edge& edge = slot.edges[e];
            if (edge.x < left || edge.x >= right)
                continue;
            uint32_t& pixel = imageRow[x0 + edge.x];
            uint32_t v = pixel;
            for (uint32_t k = edge.firstTint; k < edge.firstTint + edge.tintCount; ++k)
                v = BlendPixel(v, tints[k].color, tints[k].coverage);
            pixel = v;
        }
    }
}
