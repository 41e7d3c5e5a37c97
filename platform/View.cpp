#include "platform/View.h"

#include "platform/DiscMask.h"
#include "platform/GameFont.h"
#include "platform/ViewWidget.h"
#include "platform/Window.h"

#include <QBackingStore>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr rgb_color kInitialBackground = {255, 255, 255, 255};

inline uint32_t toRgb(rgb_color c) {
    return 0xff000000u | (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue;
}

bool isWhole(float v) {
    return std::floor(v) == v;
}

} // namespace

int ViewPrivate::ScaleFor(double devicePixelRatio) {
    // Whole device pixels per view pixel keep circles and edges crisp; a fractional ratio
    // renders at the next whole ratio and is scaled down when shown.
    const int s = static_cast<int>(std::ceil(devicePixelRatio - 1e-3));
    return std::clamp(s, 1, 8);
}

void ViewPrivate::AllocateBuffer(int newScale) {
    textPainter.reset();
    pendingCount = 0; // drawn for the old buffer, which is drawn anew
    scale = newScale;
    discCache.Prepare(scale);
    buffer = QImage(width() * scale, height() * scale, QImage::Format_RGB32);
    buffer.fill(QColor(kInitialBackground.red, kInitialBackground.green, kInitialBackground.blue));
    buffer.setDevicePixelRatio(scale);
}

const QString& ViewPrivate::ToQString(const char* text) const {
    const size_t n = std::strlen(text);
    bool ascii = true;
    for (size_t i = 0; i < n && ascii; ++i)
        ascii = static_cast<unsigned char>(text[i]) < 0x80;
    if (!ascii) {
        scratch = QString::fromUtf8(text, static_cast<qsizetype>(n));
        return scratch;
    }
    scratch.resize(static_cast<qsizetype>(n));
    QChar* out = scratch.data();
    for (size_t i = 0; i < n; ++i)
        out[i] = QLatin1Char(text[i]);
    return scratch;
}

void ViewPrivate::UseFontSize(int pixelSize) {
    SizedFont* slot = &fonts[0];
    for (SizedFont& f : fonts) {
        if (f.pixelSize == pixelSize) {
            slot = &f;
            break;
        }
        if (f.lastUse < slot->lastUse)
            slot = &f;
    }
    if (slot->pixelSize != pixelSize) {
        slot->pixelSize = pixelSize;
        slot->font = font;
        slot->font.setPixelSize(pixelSize);
        slot->metrics = QFontMetricsF(slot->font);
    }
    slot->lastUse = ++fontClock;
    font = slot->font;
    metrics = slot->metrics;
    painterFontCurrent = false;
}

QImage& ViewPrivate::Pixels() {
    if (pendingCount > 0) {
        discCache.Stamp(buffer, pendingX, pendingY, pendingDiscs, pendingCount);
        pendingCount = 0;
    }
    return buffer;
}

QPainter& ViewPrivate::TextPainter() {
    QImage& pixels = Pixels();
    if (!textPainter) {
        textPainter = std::make_unique<QPainter>(&pixels);
        textPainter->setRenderHint(QPainter::TextAntialiasing);
        textPainter->setRenderHint(QPainter::Antialiasing);
        painterFontCurrent = false;
        painterPenSet = false;
    }
    return *textPainter;
}

QPainter& ViewPrivate::TextPainterForText() {
    QPainter& p = TextPainter();
    if (!painterFontCurrent) {
        p.setFont(font);
        painterFontCurrent = true;
    }
    if (!painterPenSet || !(painterPen == high)) {
        p.setPen(QColor(high.red, high.green, high.blue));
        painterPen = high;
        painterPenSet = true;
    }
    return p;
}

void ViewPrivate::AddDisc(int cx, int cy, const DiscMask* mask, rgb_color color) {
    if (pendingCount == kMaxPendingDiscs || cx != pendingX || cy != pendingY)
        Pixels();
    pendingX = cx;
    pendingY = cy;
    pendingDiscs[pendingCount++] = DiscLayer{mask, toRgb(color)};
}

void ViewPrivate::MarkDirty(float left, float top, float right, float bottom) {
    const int x0 = std::max(0, static_cast<int>(std::floor(left)));
    const int y0 = std::max(0, static_cast<int>(std::floor(top)));
    const int x1 = std::min(width(), static_cast<int>(std::ceil(right)));
    const int y1 = std::min(height(), static_cast<int>(std::ceil(bottom)));
    if (x0 >= x1 || y0 >= y1)
        return;
    if (!Dirty()) {
        dirtyX0 = x0;
        dirtyY0 = y0;
        dirtyX1 = x1;
        dirtyY1 = y1;
        return;
    }
    dirtyX0 = std::min(dirtyX0, x0);
    dirtyY0 = std::min(dirtyY0, y0);
    dirtyX1 = std::max(dirtyX1, x1);
    dirtyY1 = std::max(dirtyY1, y1);
}

const QRegion& ViewPrivate::RegionFor(const QRect& rect) {
    SyncRegion* oldest = &syncRegions[0];
    for (SyncRegion& slot : syncRegions) {
        if (slot.region.boundingRect().size() == rect.size()) {
            // In place: the region is not shared once the backing store is done with it.
            slot.region.translate(rect.topLeft() - slot.region.boundingRect().topLeft());
            slot.lastUse = ++syncCount;
            return slot.region;
        }
        if (slot.lastUse < oldest->lastUse)
            oldest = &slot;
    }
    oldest->region = QRegion(rect);
    oldest->lastUse = ++syncCount;
    return oldest->region;
}

bool ViewPrivate::ShowDirty() {
    QWidget* top = widget->window();
    QWindow* window = top->windowHandle();
    QBackingStore* store = top->backingStore();
    if (window == nullptr || store == nullptr || !window->isExposed() ||
        widget->devicePixelRatioF() != scale)
        return false;
    const QRect changed(dirtyX0, dirtyY0, dirtyX1 - dirtyX0, dirtyY1 - dirtyY0);
    const QRect inWindow = changed.translated(widget->mapTo(top, QPoint(0, 0)));
    const QImage& pixels = Pixels();
    const QRegion& region = RegionFor(inWindow);
    store->beginPaint(region);
    QPaintDevice* device = store->paintDevice();
    auto* image = device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    const bool sameLayout =
        image != nullptr && image->devicePixelRatio() == scale &&
        (image->format() == QImage::Format_RGB32 ||
         image->format() == QImage::Format_ARGB32_Premultiplied) &&
        QRect(QPoint(0, 0), image->size())
            .contains(QRect(inWindow.topLeft() * scale, inWindow.size() * scale));
    if (sameLayout) {
        // Our pixels are opaque 0xffRRGGBB, valid in either format.
        const qsizetype rowBytes = static_cast<qsizetype>(changed.width()) * scale * 4;
        const qsizetype to = image->bytesPerLine();
        uchar* target = image->bits() + inWindow.top() * scale * to + inWindow.left() * scale * 4;
        const uchar* source = pixels.constBits() + changed.top() * scale * pixels.bytesPerLine() +
                              changed.left() * scale * 4;
        for (int row = 0; row < changed.height() * scale; ++row)
            std::memcpy(target + row * to, source + row * pixels.bytesPerLine(),
                        static_cast<size_t>(rowBytes));
    } else {
        QPainter painter(device);
        painter.drawImage(inWindow, pixels,
                          QRect(changed.topLeft() * scale, changed.size() * scale));
    }
    store->endPaint();
    store->flush(region, window);
    return true;
}

QRect ViewPrivate::RepaintRect() const {
    const QRect changed(dirtyX0, dirtyY0, dirtyX1 - dirtyX0, dirtyY1 - dirtyY0);
    if (widget->devicePixelRatioF() == scale)
        return changed;
    // Shown smoothed at a fractional ratio, a changed view pixel also tints the device pixels
    // it shares with its neighbors, and Qt rounds the edges of a partial update to whole
    // device pixels: a margin of two rows covers both at any ratio above one. Whole rows,
    // because Qt's smoothing steps along a row from where the painted span starts, and a span
    // that starts elsewhere than a full repaint's comes out a shade different.
    constexpr int kMargin = 2;
    return QRect(0, changed.top() - kMargin, width(), changed.height() + 2 * kMargin) &
           widget->rect();
}

void ViewPrivate::FillDeviceRect(int x0, int y0, int x1, int y1, rgb_color color) {
    QImage& pixels = Pixels();
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, pixels.width());
    y1 = std::min(y1, pixels.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    const uint32_t rgb = toRgb(color);
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(pixels.scanLine(y));
        std::fill(line + x0, line + x1, rgb);
    }
}

BView::BView(BRect frame, const char*, uint32, uint32 flags) : d(std::make_unique<ViewPrivate>()) {
    d->frame = frame;
    d->flags = flags;
    d->font = GameFont();
    d->UseFontSize(12);
    d->scratch.reserve(64);
    const QScreen* screen = QGuiApplication::primaryScreen();
    d->AllocateBuffer(ViewPrivate::ScaleFor(screen != nullptr ? screen->devicePixelRatio() : 1.0));
    d->widget = std::make_unique<ViewWidget>(this);
    d->widget->setFixedSize(d->width(), d->height());
}

BView::~BView() {
    d->textPainter.reset();
    d->widget.reset();
}

void BView::SetHighColor(rgb_color color) {
    d->high = color;
}
rgb_color BView::HighColor() const {
    return d->high;
}

void BView::FillRect(BRect r, pattern) {
    if (!r.IsValid())
        return;
    d->MarkDirty(r.left, r.top, r.right + 1, r.bottom + 1);
    const int s = d->scale;
    d->FillDeviceRect(static_cast<int>(std::lround(r.left * s)),
                      static_cast<int>(std::lround(r.top * s)),
                      static_cast<int>(std::lround((r.right + 1) * s)),
                      static_cast<int>(std::lround((r.bottom + 1) * s)), d->high);
}

void BView::StrokeRect(BRect r, pattern p) {
    if (!r.IsValid())
        return;
    FillRect(BRect(r.left, r.top, r.right, r.top), p);
    FillRect(BRect(r.left, r.bottom, r.right, r.bottom), p);
    FillRect(BRect(r.left, r.top, r.left, r.bottom), p);
    FillRect(BRect(r.right, r.top, r.right, r.bottom), p);
}

void BView::FillEllipse(BPoint c, float xRadius, float yRadius, pattern) {
    if (xRadius < 0 || yRadius < 0)
        return;
    d->MarkDirty(c.x - xRadius - 1, c.y - yRadius - 1, c.x + xRadius + 2, c.y + yRadius + 2);
    if (xRadius == yRadius && isWhole(xRadius) && isWhole(c.x) && isWhole(c.y)) {
        if (const DiscMask* mask = CachedDiscMask(static_cast<int>(xRadius), d->scale)) {
            d->AddDisc(static_cast<int>(c.x), static_cast<int>(c.y), mask, d->high);
            return;
        }
    }
    // Uncommon shapes: the ellipse inscribed in the inclusive bounding rectangle.
    QPainter& p = d->TextPainter();
    p.setPen(Qt::NoPen);
    d->painterPenSet = false;
    p.setBrush(QColor(d->high.red, d->high.green, d->high.blue));
    p.drawEllipse(QRectF(c.x - xRadius, c.y - yRadius, 2 * xRadius + 1, 2 * yRadius + 1));
    p.setBrush(Qt::NoBrush);
}

void BView::SetFontSize(float pixels) {
    const int size = std::max(1, static_cast<int>(std::lround(pixels)));
    if (d->font.pixelSize() == size)
        return;
    d->UseFontSize(size);
}

float BView::StringWidth(const char* text) const {
    if (text == nullptr)
        return 0;
    if (const TextCache::Line* line = d->texts.Find(text, d->font, d->metrics, d->scale))
        return line->advance;
    return static_cast<float>(d->metrics.horizontalAdvance(d->ToQString(text)));
}

void BView::MovePenTo(float x, float y) {
    d->pen = BPoint(x, y);
}
BPoint BView::PenLocation() const {
    return d->pen;
}

void BView::DrawString(const char* text) {
    if (text == nullptr || *text == '\0')
        return;
    QPainter& p = d->TextPainterForText();
    // View coordinates name pixel centers; Qt's name pixel corners.
    const QPointF baseline(d->pen.x + 0.5, d->pen.y + 0.5);
    float advance = 0;
    if (const TextCache::Line* line = d->texts.Find(text, d->font, d->metrics, d->scale)) {
        if (line->xScale == 1) {
            p.drawStaticText(baseline - QPointF(0, d->metrics.ascent()), line->layout);
        } else {
            p.save();
            p.translate(baseline.x(), 0);
            p.scale(line->xScale, 1);
            p.drawStaticText(QPointF(0, baseline.y() - d->metrics.ascent()), line->layout);
            p.restore();
        }
        advance = line->advance;
    } else {
        const QString& s = d->ToQString(text);
        p.drawText(baseline, s);
        advance = static_cast<float>(d->metrics.horizontalAdvance(s));
    }
    // The whole band the line of text may touch, overhangs included.
    d->MarkDirty(0, d->pen.y - static_cast<float>(d->metrics.ascent()) - 2,
                 static_cast<float>(d->width()),
                 d->pen.y + static_cast<float>(d->metrics.descent()) + 2);
    d->pen.x += advance;
}

BRect BView::Bounds() const {
    return BRect(0, 0, d->frame.Width(), d->frame.Height());
}
BRect BView::Frame() const {
    return d->frame;
}
uint32 BView::Flags() const {
    return d->flags;
}

void BView::Sync() {
    // Inside a paint the buffer is shown when the paint ends.
    if (!d->widget->isVisible() || d->painting || !d->Dirty())
        return;
    if (!d->ShowDirty()) {
        d->syncing = true;
        d->widget->repaint(d->RepaintRect());
        d->syncing = false;
    }
    d->ClearDirty();
}

void BView::Invalidate() {
    d->needsDraw = true;
    d->widget->update();
}

BWindow* BView::Window() const {
    return d->window;
}

void BView::MakeFocus(bool focus) {
    if (focus)
        d->widget->setFocus(Qt::OtherFocusReason);
    else
        d->widget->clearFocus();
}

QImage BView::Snapshot() const {
    return d->Pixels().copy();
}
int BView::BufferScale() const {
    return d->scale;
}
QWidget* BView::Widget() const {
    return d->widget.get();
}
