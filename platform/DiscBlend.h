// The one blend every disc edge uses, so cached and direct stamping give the same pixels.
#pragma once

#include <cstdint>

// src over dst at alpha/255, each channel rounded to nearest. Red and blue share one
// multiply; x/255 rounded is (x + 128 + ((x + 128) >> 8)) >> 8 for x up to 255*255.
inline uint32_t BlendPixel(uint32_t dst, uint32_t src, uint32_t alpha) {
    const uint32_t inv = 255 - alpha;
    uint32_t rb = (src & 0x00ff00ffu) * alpha + (dst & 0x00ff00ffu) * inv + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00ff00ffu)) >> 8) & 0x00ff00ffu;
    uint32_t g = ((src >> 8) & 0xffu) * alpha + ((dst >> 8) & 0xffu) * inv + 0x80u;
    g = ((g + (g >> 8)) >> 8) & 0xffu;
    return 0xff000000u | rb | (g << 8);
}
