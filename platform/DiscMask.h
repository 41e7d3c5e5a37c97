// Anti-aliased coverage of a filled circle, rasterised once per radius and buffer scale,
// then stamped in any colour. Circles are what the well is made of, so they must be cheap.
#pragma once

#include <cstdint>
#include <vector>

class QImage;

class DiscMask {
public:
    // A disc of radius r around a pixel centre covers the circle inscribed in the
    // (2r+1)-pixel square around that pixel.
    DiscMask(int radius, int scale);

    int size() const { return size_; }
    // Paints the disc centred on the view pixel (cx, cy) into an RGB32 image at this scale.
    void Stamp(QImage& image, int cx, int cy, uint32_t rgb) const;

private:
    struct Row {
        int begin = 0;     // first covered column
        int end = 0;       // one past the last covered column
        int fullBegin = 0; // fully covered span, [fullBegin, fullEnd)
        int fullEnd = 0;
    };
    int radius_;
    int scale_;
    int size_;
    std::vector<uint8_t> coverage_;
    std::vector<Row> rows_;
};

// Returns the shared mask for this radius and scale, or nullptr when out of the cached range.
const DiscMask* CachedDiscMask(int radius, int scale);
