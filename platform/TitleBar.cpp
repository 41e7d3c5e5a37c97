#include "platform/TitleBar.h"

#include <QGuiApplication>
#include <QIcon>
#include <QIconEngine>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QToolButton>
#include <QWindow>

#include <cstring>
#include <wayland-client.h>

namespace {

constexpr int kButtonSize = 22;
constexpr int kMargin = 6;
constexpr int kGlyphSize = 16;

enum class Glyph { Minimize, Close };

// The ink of the moment: GNOME dims the title and buttons of a window without the keyboard.
QColor Ink(const QWidget* bar) {
    return bar->palette().color(bar->isActiveWindow() ? QPalette::Active : QPalette::Inactive,
                                QPalette::WindowText);
}

// Plain strokes, as GNOME's title bars draw them (the style's title-bar icons come framed),
// painted at whatever scale Qt asks for, in the bar's ink of the moment.
class GlyphEngine : public QIconEngine {
public:
    GlyphEngine(Glyph glyph, const QWidget* bar) : glyph_(glyph), bar_(bar) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / double(kGlyphSize), rect.height() / double(kGlyphSize));
        painter->setPen(QPen(Ink(bar_), 1.5, Qt::SolidLine, Qt::RoundCap));
        if (glyph_ == Glyph::Minimize) {
            painter->drawLine(QPointF(4.5, 11.5), QPointF(11.5, 11.5));
        } else {
            painter->drawLine(QPointF(4.5, 4.5), QPointF(11.5, 11.5));
            painter->drawLine(QPointF(11.5, 4.5), QPointF(4.5, 11.5));
        }
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pixmap(size); // Qt's default leaves it unfilled
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, pixmap.rect(), mode, state);
        return pixmap;
    }
    QIconEngine* clone() const override { return new GlyphEngine(glyph_, bar_); }

private:
    Glyph glyph_;
    const QWidget* bar_;
};

// The compositor draws title bars when it offers xdg-decoration: a connection of our own
// reads its globals before Qt's window is made. Qt 6.4 has no public way to ask.
bool CompositorOffersDecorations() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return true; // Qt cannot show a window here either; leave everything to it
    bool offered = false;
    wl_registry* registry = wl_display_get_registry(display);
    const wl_registry_listener listener = {
        [](void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
            if (std::strcmp(interface, "zxdg_decoration_manager_v1") == 0)
                *static_cast<bool*>(data) = true;
        },
        [](void*, wl_registry*, uint32_t) {},
    };
    wl_registry_add_listener(registry, &listener, &offered);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return offered;
}

} // namespace

bool TitleBar::Needed() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland")) &&
           !CompositorOffersDecorations();
}

TitleBar::TitleBar(QWidget* window) : QWidget(window) {
    // Halfway to the bar when inactive. With the two inks apart, Qt repaints the bar and its
    // buttons as the window gains or loses the keyboard.
    QPalette inks = palette();
    const QColor ink = inks.color(QPalette::Active, QPalette::WindowText);
    const QColor paper = inks.window().color().darker(108);
    inks.setColor(QPalette::Inactive, QPalette::WindowText,
                  QColor((ink.red() + paper.red()) / 2, (ink.green() + paper.green()) / 2,
                         (ink.blue() + paper.blue()) / 2));
    setPalette(inks);
    auto button = [this](Glyph glyph, const char* tip) {
        auto* b = new QToolButton(this);
        b->setIcon(QIcon(new GlyphEngine(glyph, this)));
        b->setIconSize(QSize(kGlyphSize, kGlyphSize));
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(kButtonSize, kButtonSize);
        return b;
    };
    minimize_ = button(Glyph::Minimize, "Minimize");
    close_ = button(Glyph::Close, "Close");
    connect(minimize_, &QToolButton::clicked, window, &QWidget::showMinimized);
    connect(close_, &QToolButton::clicked, window, &QWidget::close);
    setGeometry(0, 0, window->width(), kTitleBarHeight);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr)
        window()->windowHandle()->startSystemMove();
}

// A double click maximizes elsewhere; this window keeps its size.
void TitleBar::mouseDoubleClickEvent(QMouseEvent*) {}

void TitleBar::resizeEvent(QResizeEvent*) {
    const int top = (height() - kButtonSize) / 2;
    close_->move(width() - kButtonSize - top, top);
    minimize_->move(close_->x() - kButtonSize, top);
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window().color().darker(108));
    painter.setPen(palette().mid().color());
    painter.drawLine(0, height() - 1, width(), height() - 1);

    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Ink(this));
    // Centered where the buttons leave room, cut only when it cannot fit.
    const QRect room(kMargin, 0, minimize_->x() - 2 * kMargin, height());
    const QString title =
        painter.fontMetrics().elidedText(window()->windowTitle(), Qt::ElideRight, room.width());
    painter.drawText(room, Qt::AlignCenter, title);
}
