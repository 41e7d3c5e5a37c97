// Anti-aliased coverage of a filled circle, rasterised once per radius and buffer scale,
// then stamped in any color. Circles are what the well is made of, so they must be cheap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class QImage;

class DiscMask {
public:
    // A disc of radius r around a pixel center covers the circle inscribed in the
    // (2r+1)-pixel square around that pixel.
    DiscMask(int radius, int scale);

    int radius() const { return radius_; }
    int scale() const { return scale_; }
    int size() const { return size_; }

    struct Row {
        int begin = 0;     // first covered column
        int end = 0;       // one past the last covered column
        int fullBegin = 0; // fully covered span, [fullBegin, fullEnd)
        int fullEnd = 0;
    };
    const Row& row(int j) const { return rows_[static_cast<size_t>(j)]; }
    const uint8_t* coverage(int j) const { return &coverage_[static_cast<size_t>(j) * size_]; }

private:
    int radius_;
    int scale_;
    int size_;
    std::vector<uint8_t> coverage_;
    std::vector<Row> rows_;
};

// One disc of a stack drawn around a common center.
struct DiscLayer {
    const DiscMask* mask;
    uint32_t rgb;
};

// Paints the discs, in order, centered on the view pixel (cx, cy) of an RGB32 image at the
// masks' scale (all layers share it). The result is exactly that of painting them one after
// another, but a pixel that a later disc covers fully is not painted by the earlier ones: a
// gem's seven nested discs cost little more than its outer one.
void StampDiscs(QImage& image, int cx, int cy, const DiscLayer* layers, int count);

// Returns the shared mask for this radius and scale, or nullptr when out of the cached range.
const DiscMask* CachedDiscMask(int radius, int scale);
