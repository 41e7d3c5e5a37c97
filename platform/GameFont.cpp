#include "platform/GameFont.h"

#include <QFontMetricsF>
#include <QStringList>

#include <cmath>

namespace {

// Faces drawn with Helvetica's advance widths, best first.
const char* const kHelveticaLike[] = {"Liberation Sans", "Arimo",    "Nimbus Sans", "Nimbus Sans L",
                                      "TeX Gyre Heros",  "FreeSans", "Helvetica",   "Arial"};

// Helvetica's advance widths of ' ' to '~', in thousandths of an em.
constexpr short kWidths[95] = {
    278,  278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, // ' '-'/'
    556,  556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, // '0'-'?'
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // '@'-'O'
    667,  778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556, // 'P'-'_'
    333,  556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556, // '`'-'o'
    556,  556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};     // 'p'-'~'

constexpr char kSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kMeasureSize = 1000;
// Faces made to Helvetica's metrics measure within rounding of it.
constexpr double kTolerance = 0.01;

} // namespace

QFont GameFont() {
    QStringList families;
    for (const char* family : kHelveticaLike)
        families << QString::fromLatin1(family);
    families << QStringLiteral("DejaVu Sans") << QStringLiteral("sans-serif");
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

bool GameFontHasHelveticaWidths() {
    static const bool has = [] {
        QFont probe = GameFont();
        probe.setPixelSize(kMeasureSize);
        const QFontMetricsF metrics(probe);
        double width = 0;
        for (const char* c = kSample; *c != '\0'; ++c)
            width += metrics.horizontalAdvance(QLatin1Char(*c));
        const double wanted = HelveticaAdvance(kSample, kMeasureSize);
        return std::abs(width - wanted) <= kTolerance * wanted;
    }();
    return has;
}

double HelveticaAdvance(const char* text, int pixelSize) {
    long thousandths = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < ' ' || *c > '~')
            return -1;
        thousandths += kWidths[*c - ' '];
    }
    return thousandths * pixelSize / 1000.0;
}
