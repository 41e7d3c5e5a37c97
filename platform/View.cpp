#include "platform/View.h"

#include "platform/ViewWidget.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace {

// What a key is worth to KeyDown: the kit's byte for the keys that have one, else the key's
// text as UTF-8; no bytes when it has neither, and it is left to the widget's parents.
constexpr std::pair<int, char> kKeyBytes[] = {
    {Qt::Key_Return, B_ENTER},    {Qt::Key_Enter, B_ENTER},       {Qt::Key_Escape, B_ESCAPE},
    {Qt::Key_Left, B_LEFT_ARROW}, {Qt::Key_Right, B_RIGHT_ARROW}, {Qt::Key_Up, B_UP_ARROW},
    {Qt::Key_Down, B_DOWN_ARROW}};

// Device pixels per view pixel of the buffer for a widget at this ratio.
int ScaleFor(double devicePixelRatio) {
    return std::clamp(static_cast<int>(std::ceil(devicePixelRatio - 1e-3)), 1, 8);
}

// Helvetica's metrics, which the game's layout was made for, where a face with them is
// installed; else the nearest sans-serif.
QFont GameFont() {
    QFont font;
    font.setFamilies({"Liberation Sans", "Arimo", "Nimbus Sans", "Nimbus Sans L", "TeX Gyre Heros",
                      "FreeSans", "Helvetica", "Arial", "DejaVu Sans", "sans-serif"});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}

} // namespace

ViewWidget::ViewWidget(BView* view) : view_(view) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ViewWidget::showEvent(QShowEvent*) {
    view_->d->needsDraw = true;
}

void ViewWidget::paintEvent(QPaintEvent* event) {
    ViewPrivate& d = *view_->d;
    if (const int wanted = ScaleFor(devicePixelRatioF()); wanted != d.scale) {
        d.AllocateBuffer(wanted);
        d.needsDraw = true;
    }
    // A Sync only shows the buffer; drawing requests wait for the next ordinary paint.
    d.painting = true;
    if (d.needsDraw && !d.syncing) {
        d.needsDraw = false;
        view_->Draw(view_->Bounds());
    }
    d.painting = false;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, d.scale != devicePixelRatioF());
    painter.drawImage(QRectF(0, 0, d.width(), d.height()), d.buffer);
    if (event->rect().contains(rect()))
        d.dirty = QRect();
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    const QByteArray text = event->text().toUtf8();
    std::string_view bytes(text.constData(), static_cast<size_t>(text.size()));
    for (const auto& [key, byte] : kKeyBytes)
        if (event->key() == key)
            bytes = std::string_view(&byte, 1);
    event->setAccepted(!bytes.empty());
    if (!bytes.empty())
        view_->KeyDown(bytes.data(), static_cast<int32>(bytes.size()));
}

void ViewPrivate::AllocateBuffer(int newScale) {
    if (painter.isActive())
        painter.end();
    scale = newScale;
    buffer = QImage(width() * scale, height() * scale, QImage::Format_RGB32);
    buffer.setDevicePixelRatio(scale);
    buffer.fill(Qt::white);
    painter.begin(&buffer);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    dirty = QRect(); // the new buffer is drawn anew before it is shown
}

QRect ViewPrivate::RepaintRect() const {
    if (widget->devicePixelRatioF() == scale)
        return dirty;
    // Shown smoothed at a fractional ratio, a changed view pixel also tints the device pixels
    // it shares with its neighbors, and Qt rounds the edges of a partial update to whole
    // device pixels: a margin of two rows covers both at any ratio above one. Whole rows,
    // because Qt's smoothing steps along a row from where the painted span starts, and a span
    // that starts elsewhere than a full repaint's comes out a shade different.
    constexpr int kMargin = 2;
    return QRect(0, dirty.top() - kMargin, width(), dirty.height() + 2 * kMargin) & widget->rect();
}

BView::BView(BRect frame, const char*, uint32, uint32 flags) : d(std::make_unique<ViewPrivate>()) {
    d->flags = flags;
    d->font = GameFont();
    d->widget = std::make_unique<ViewWidget>(this);
    d->widget->setGeometry(static_cast<int>(frame.left), static_cast<int>(frame.top),
                           static_cast<int>(frame.Width()) + 1,
                           static_cast<int>(frame.Height()) + 1);
    d->widget->setFixedSize(d->widget->size());
    // Until it is shown, the buffer guesses the ratio of the densest screen.
    d->AllocateBuffer(ScaleFor(qGuiApp->devicePixelRatio()));
}

BView::~BView() = default;

void BView::SetHighColor(rgb_color color) {
    d->high = color;
}
rgb_color BView::HighColor() const {
    return d->high;
}

void BView::FillRect(BRect r) {
    if (!r.IsValid())
        return;
    const QRectF area(r.left, r.top, r.Width() + 1, r.Height() + 1);
    d->painter.fillRect(area, d->High());
    d->MarkDirty(area);
}

void BView::StrokeRect(BRect r) {
    if (!r.IsValid())
        return;
    FillRect(BRect(r.left, r.top, r.right, r.top));
    FillRect(BRect(r.left, r.bottom, r.right, r.bottom));
    FillRect(BRect(r.left, r.top, r.left, r.bottom));
    FillRect(BRect(r.right, r.top, r.right, r.bottom));
}

void BView::FillEllipse(BPoint c, float xRadius, float yRadius) {
    // Centered on the pixel c names: inscribed in the box of 2r + 1 pixels around it.
    const QRectF box(c.x - xRadius, c.y - yRadius, 2 * xRadius + 1, 2 * yRadius + 1);
    d->painter.setPen(Qt::NoPen);
    d->painter.setBrush(d->High());
    d->painter.drawEllipse(box);
    d->MarkDirty(box.adjusted(-1, -1, 1, 1));
}

void BView::SetFontSize(float pixels) {
    d->font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
}

float BView::StringWidth(const char* text) const {
    return static_cast<float>(QFontMetricsF(d->font).horizontalAdvance(QString::fromUtf8(text)));
}

void BView::MovePenTo(float x, float y) {
    d->pen = BPoint(x, y);
}

void BView::DrawString(const char* text) {
    if (text == nullptr || *text == '\0')
        return;
    const QString line = QString::fromUtf8(text);
    const QFontMetricsF metrics(d->font);
    const double advance = metrics.horizontalAdvance(line);
    // A line that would run past the view is narrowed to end a little short of its edge.
    constexpr double kEdgeMargin = 4;
    const double room = d->width() - kEdgeMargin - d->pen.x;
    const double narrowing = advance > room && room > 0 ? room / advance : 1;
    d->painter.setFont(d->font);
    d->painter.setPen(d->High());
    // View coordinates name pixel centers; Qt's name pixel corners.
    d->painter.setTransform(QTransform(narrowing, 0, 0, 1, d->pen.x + 0.5, d->pen.y + 0.5));
    d->painter.drawText(QPointF(0, 0), line);
    d->painter.resetTransform();
    // The whole band the line may touch, overhangs included.
    d->MarkDirty(QRectF(0, d->pen.y - metrics.ascent() - 2, d->width(),
                        metrics.ascent() + metrics.descent() + 4));
    d->pen.x += static_cast<float>(advance * narrowing);
}

BRect BView::Bounds() const {
    return BRect(0, 0, static_cast<float>(d->width() - 1), static_cast<float>(d->height() - 1));
}

void BView::Sync() {
    // Inside a paint the buffer is shown when the paint ends.
    if (!d->widget->isVisible() || d->painting || d->dirty.isEmpty())
        return;
    d->syncing = true;
    d->widget->repaint(d->RepaintRect());
    d->syncing = false;
    d->dirty = QRect();
    // The repaint may have been the first at a new scale, on a blank buffer, and taken up the
    // window's own request to be drawn whole.
    if (d->needsDraw)
        d->widget->update();
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
    return d->buffer.copy();
}
QWidget* BView::Widget() const {
    return d->widget.get();
}
