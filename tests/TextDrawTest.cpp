// Lines of text are laid out once and kept; drawing one must give the pixels that drawing the
// string directly gives, and its width must be the font's own measure.
#include "tests/GameTest.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QFont GameFont(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    return font;
}

struct Line {
    const char* text;
    int size;
    float x;
    float baseline;
};

const Line kLines[] = {
    {"Tumblegem", 28, 8, 150},
    {"High score: 2147483647", 14, 7.5f, 200},
    {"Last round: -42", 14, 33.25f, 230},
    {"Score: 0", 22, 40.75f, 398},
};

TEST(TextDraw, KeptLinesLookLikeDirectlyDrawnText) {
    TumbleView view(kViewFrame);
    view.SetHighColor(255, 255, 255);
    view.FillRect(kViewBounds);
    QImage expected = view.Snapshot();
    {
        QPainter p(&expected);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(20, 20, 20));
        for (const Line& line : kLines) {
            p.setFont(GameFont(line.size));
            p.drawText(QPointF(line.x + 0.5, line.baseline + 0.5), QString::fromLatin1(line.text));
        }
    }
    view.SetHighColor(20, 20, 20);
    // Twice over white: laid out on the first round, taken from the cache on the second.
    for (int round = 0; round < 2; ++round) {
        view.SetHighColor(255, 255, 255);
        view.FillRect(kViewBounds);
        view.SetHighColor(20, 20, 20);
        for (const Line& line : kLines) {
            view.SetFontSize(static_cast<float>(line.size));
            view.MovePenTo(line.x, line.baseline);
            view.DrawString(line.text);
        }
        EXPECT_EQ(view.Snapshot(), expected) << "round " << round;
    }
}

TEST(TextDraw, WidthAndPenAdvanceAreTheFontsMeasure) {
    TumbleView view(kViewFrame);
    for (const Line& line : kLines) {
        const QFontMetricsF metrics(GameFont(line.size));
        const float width =
            static_cast<float>(metrics.horizontalAdvance(QString::fromLatin1(line.text)));
        view.SetFontSize(static_cast<float>(line.size));
        EXPECT_FLOAT_EQ(view.StringWidth(line.text), width) << line.text;
        EXPECT_FLOAT_EQ(view.StringWidth(line.text), width) << line.text << ", kept";
        view.MovePenTo(line.x, line.baseline);
        view.DrawString(line.text);
        EXPECT_FLOAT_EQ(view.PenLocation().x, line.x + width) << line.text;
    }
}

} // namespace
