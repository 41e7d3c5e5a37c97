#include "platform/TextCache.h"

#include "platform/GameFont.h"

#include <QFont>
#include <QFontMetricsF>
#include <QTransform>

#include <cstring>

const TextCache::Line* TextCache::Find(const char* text, const QFont& font,
                                       const QFontMetricsF& metrics, int scale) {
    size_t length = 0;
    for (; text[length] != '\0'; ++length) {
        if (length == kMaxLength || static_cast<unsigned char>(text[length]) >= 0x80)
            return nullptr;
    }
    const int pixelSize = font.pixelSize();
    Entry* oldest = &entries_[0];
    for (Entry& entry : entries_) {
        if (entry.lastUse != 0 && entry.pixelSize == pixelSize &&
            std::strcmp(entry.text, text) == 0) {
            entry.lastUse = ++clock_;
            return &entry.line;
        }
        if (entry.lastUse < oldest->lastUse)
            oldest = &entry;
    }
    Entry& entry = *oldest;
    std::memcpy(entry.text, text, length + 1);
    entry.pixelSize = pixelSize;
    entry.lastUse = ++clock_;
    const QString string = QString::fromLatin1(text, static_cast<qsizetype>(length));
    entry.line.layout.setTextFormat(Qt::PlainText);
    entry.line.layout.setText(string);
    const double advance = metrics.horizontalAdvance(string);
    const double fitted = GameFontHasHelveticaWidths() ? -1 : HelveticaAdvance(text, pixelSize);
    entry.line.xScale = fitted > 0 && advance > 0 ? static_cast<float>(fitted / advance) : 1;
    entry.line.advance = static_cast<float>(fitted > 0 ? fitted : advance);
    // Laid out for the painter's own transform, or the first draw would lay it out again.
    entry.line.layout.prepare(QTransform::fromScale(scale * entry.line.xScale, scale), font);
    return &entry.line;
}
