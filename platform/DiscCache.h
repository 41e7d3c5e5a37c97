// Stacks of concentric discs, composed once and then copied: a gem is seven nested discs of
// fixed colors, and the well shows the same few gems again and again.
#pragma once

#include "platform/DiscMask.h"

#include <cstdint>
#include <vector>

class QImage;

class DiscStackCache {
public:
    // Empties the cache and reserves room for stacks up to kCachedRadius at this scale, so
    // stamping allocates nothing later.
    void Prepare(int scale);

    // Paints the layers, in order, centered on the view pixel (cx, cy); the same pixels as
    // StampDiscs.
    void Stamp(QImage& image, int cx, int cy, const DiscLayer* layers, int count);

    static constexpr int kCachedRadius = 12;
    static constexpr int kMaxLayers = 8;
    static constexpr int kSlots = 16;

private:
    struct Tint {
        uint32_t color;
        uint32_t coverage;
    };
    // A pixel outside the fixed spans: the layers that blend into it are
    // tints[firstTint, firstTint + tintCount).
    struct Edge {
        int x;
        uint32_t firstTint;
        uint32_t tintCount;
    };
    struct RowSpans {
        int fixed = 0; // [fixed, fixedEnd): fully covered by some layer, so known in advance
        int fixedEnd = 0;
        uint32_t firstEdge = 0; // edges[firstEdge, endEdge): the row's other covered pixels
        uint32_t endEdge = 0;
    };
    struct Slot {
        uint64_t key = 0;
        int count = 0;
        DiscLayer layers[kMaxLayers] = {};
        uint64_t lastUse = 0;
        int radius = 0;
        int size = 0;
        std::vector<RowSpans> rows;
        std::vector<uint32_t> pixels; // size*size; the fixed spans hold final colors
        std::vector<Edge> edges;
        std::vector<Tint> tints;
    };

    Slot& Find(const DiscLayer* layers, int count, uint64_t key);
    void Compose(Slot& slot, const DiscLayer* layers, int count, uint64_t key);

    int scale_ = 0;
    uint64_t clock_ = 0;
    Slot slots_[kSlots];
};
