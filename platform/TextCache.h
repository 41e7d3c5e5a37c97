// Laid-out lines of text, kept so that drawing or measuring a line again allocates nothing:
// the score strip and the title screen draw the same few lines over and over.
#pragma once

#include <QStaticText>

#include <cstdint>

class QFont;
class QFontMetricsF;

class TextCache {
public:
    struct Line {
        QStaticText layout;
        float advance = 0; // pen advance: Helvetica's for a face without its widths
        float xScale = 1;  // how much the face's glyphs are narrowed or widened to that
    };

    // The line for this ASCII text at the font's pixel size, laid out on first use for a
    // painter scaled by `scale`; nullptr for text the cache does not keep (too long, or not
    // plain ASCII). In a face without Helvetica's widths the line is fitted to them, so text
    // takes the room the layout was made for.
    const Line* Find(const char* text, const QFont& font, const QFontMetricsF& metrics, int scale);

    static constexpr int kLines = 8;
    static constexpr int kMaxLength = 47;

private:
    struct Entry {
        Line line;
        int pixelSize = 0;
        char text[kMaxLength + 1] = {};
        uint64_t lastUse = 0;
    };
    Entry entries_[kLines];
    uint64_t clock_ = 0;
};
