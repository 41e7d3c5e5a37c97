// Draws the game's icon at every size the desktop asks for:
//   tumblegem_icongen OUTDIR  ->  OUTDIR/hicolor/NxN/apps/com.brightnook.Tumblegem.png
// From 32 px up: a framed square holding two round gems. At 16 px: four round gems.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QRadialGradient>

#include <cstdio>

namespace {

constexpr const char* kIconName = "com.brightnook.Tumblegem";
constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};
constexpr int kSmallSize = 16;
constexpr double kDesignSize = 32; // the large design is laid out on a 32-unit grid

const QColor kFrameOuter(30, 20, 200);
const QColor kFrameInner(110, 100, 245);
const QColor kWell(255, 255, 255);
const QColor kGemOutline(40, 40, 40);
const QColor kRed(200, 20, 20);
const QColor kGreen(20, 200, 20);
const QColor kBlue(20, 20, 200);
const QColor kGold(200, 160, 20);

// A gem as the game draws it: a dark ring around a body that lightens towards the top left.
void DrawGem(QPainter& p, QPointF center, double radius, const QColor& color) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGemOutline);
    p.drawEllipse(center, radius, radius);
    const double body = radius * 0.82;
    QRadialGradient shade(center - QPointF(body * 0.35, body * 0.35), body * 1.3);
    shade.setColorAt(0, color.lighter(170));
    shade.setColorAt(1, color);
    p.setBrush(shade);
    p.drawEllipse(center, body, body);
}

QImage LargeIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / kDesignSize, size / kDesignSize);
    // The frame: two bands of blue, as around the game's well.
    p.setPen(Qt::NoPen);
    p.setBrush(kFrameOuter);
    p.drawRect(QRectF(1, 1, 30, 30));
    p.setBrush(kFrameInner);
    p.drawRect(QRectF(3, 3, 26, 26));
    p.setBrush(kWell);
    p.drawRect(QRectF(5, 5, 22, 22));
    DrawGem(p, QPointF(11.5, 20.5), 5.5, kRed);
    DrawGem(p, QPointF(20.5, 11.5), 5.5, kGreen);
    return image;
}

QImage SmallIcon() {
    QImage image(kSmallSize, kSmallSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawGem(p, QPointF(4, 4), 3.8, kRed);
    DrawGem(p, QPointF(12, 4), 3.8, kGreen);
    DrawGem(p, QPointF(4, 12), 3.8, kBlue);
    DrawGem(p, QPointF(12, 12), 3.8, kGold);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : kSizes) {
        const QString folder = QStringLiteral("hicolor/%1x%1/apps").arg(size);
        if (!out.mkpath(folder)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(out.filePath(folder)));
            return 1;
        }
        const QImage icon = size == kSmallSize ? SmallIcon() : LargeIcon(size);
        const QString file = out.filePath(folder + QLatin1Char('/') + kIconName + ".png");
        if (!icon.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
