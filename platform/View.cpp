#include "platform/View.h"

#include "platform/DiscMask.h"
#include "platform/ViewWidget.h"
#include "platform/Window.h"

#include <QGuiApplication>
#include <QScreen>

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

QPainter& ViewPrivate::TextPainter() {
    if (!textPainter) {
        textPainter = std::make_unique<QPainter>(&buffer);
        textPainter->setRenderHint(QPainter::TextAntialiasing);
        textPainter->setRenderHint(QPainter::Antialiasing);
    }
    return *textPainter;
}

void ViewPrivate::AddDisc(int cx, int cy, const DiscMask* mask, rgb_color color) {
    if (pendingCount == kMaxPendingDiscs ||
        (pendingCount > 0 && (cx != pendingX || cy != pendingY)))
        StampPendingDiscs();
    pendingX = cx;
    pendingY = cy;
    pendingDiscs[pendingCount++] = DiscLayer{mask, toRgb(color)};
}

void ViewPrivate::StampPendingDiscs() {
    discCache.Stamp(buffer, pendingX, pendingY, pendingDiscs, pendingCount);
    pendingCount = 0;
}

void ViewPrivate::FillDeviceRect(int x0, int y0, int x1, int y1, rgb_color color) {
    FlushDiscs();
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, buffer.width());
    y1 = std::min(y1, buffer.height());
    if (x0 >= x1 || y0 >= y1)
        return;
    const uint32_t rgb = toRgb(color);
    for (int y = y0; y < y1; ++y) {
        auto* line = reinterpret_cast<uint32_t*>(buffer.scanLine(y));
        std::fill(line + x0, line + x1, rgb);
    }
}

BView::BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags)
    : d(std::make_unique<ViewPrivate>()) {
    d->owner = this;
    d->frame = frame;
    d->name = name != nullptr ? name : "";
    d->resizingMode = resizingMode;
    d->flags = flags;
    d->font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")});
    d->font.setStyleHint(QFont::SansSerif);
    d->font.setPixelSize(12);
    d->metrics = QFontMetricsF(d->font);
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
void BView::SetLowColor(rgb_color color) {
    d->low = color;
}
rgb_color BView::LowColor() const {
    return d->low;
}

void BView::FillRect(BRect r, pattern) {
    if (!r.IsValid())
        return;
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
    if (xRadius == yRadius && isWhole(xRadius) && isWhole(c.x) && isWhole(c.y)) {
        if (const DiscMask* mask = CachedDiscMask(static_cast<int>(xRadius), d->scale)) {
            d->AddDisc(static_cast<int>(c.x), static_cast<int>(c.y), mask, d->high);
            return;
        }
    }
    d->FlushDiscs();
    // Uncommon shapes: the ellipse inscribed in the inclusive bounding rectangle.
    QPainter& p = d->TextPainter();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(d->high.red, d->high.green, d->high.blue));
    p.drawEllipse(QRectF(c.x - xRadius, c.y - yRadius, 2 * xRadius + 1, 2 * yRadius + 1));
    p.setBrush(Qt::NoBrush);
}

void BView::SetFontSize(float pixels) {
    const int size = std::max(1, static_cast<int>(std::lround(pixels)));
    if (d->font.pixelSize() == size)
        return;
    d->font.setPixelSize(size);
    d->metrics = QFontMetricsF(d->font);
}

float BView::StringWidth(const char* text) const {
    if (text == nullptr)
        return 0;
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
    d->FlushDiscs();
    const QString& s = d->ToQString(text);
    QPainter& p = d->TextPainter();
    p.setFont(d->font);
    p.setPen(QColor(d->high.red, d->high.green, d->high.blue));
    // View coordinates name pixel centres; Qt's name pixel corners.
    p.drawText(QPointF(d->pen.x + 0.5, d->pen.y + 0.5), s);
    d->pen.x += static_cast<float>(d->metrics.horizontalAdvance(s));
}

BRect BView::Bounds() const {
    return BRect(0, 0, d->frame.Width(), d->frame.Height());
}
BRect BView::Frame() const {
    return d->frame;
}
const char* BView::Name() const {
    return d->name.c_str();
}
uint32 BView::Flags() const {
    return d->flags;
}
uint32 BView::ResizingMode() const {
    return d->resizingMode;
}

void BView::Sync() {
    d->FlushDiscs();
    // Inside a paint the buffer is shown when the paint ends.
    if (!d->widget->isVisible() || d->painting)
        return;
    d->syncing = true;
    d->widget->repaint();
    d->syncing = false;
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

bool BView::IsFocus() const {
    return d->widget->hasFocus();
}

QImage BView::Snapshot() const {
    d->FlushDiscs();
    return d->buffer.copy();
}
int BView::BufferScale() const {
    return d->scale;
}
QWidget* BView::Widget() const {
    return d->widget.get();
}
