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
        float advance = 0; // pen advance, as the font's metrics give it
    };

    // The line for this ASCII text at the font's pixel size, laid out on first use for a
    // painter scaled by `scale`; nullptr for text the cache does not keep (too long, or not
    // plain ASCII).
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
