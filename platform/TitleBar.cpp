#include "platform/TitleBar.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QWindow>

#include <cstring>
#include <initializer_list>
#include <wayland-client.h>

namespace {

constexpr int kButtonSize = 22;
constexpr int kMargin = 6;

// Plain strokes around the button's center, as GNOME's title bars draw them (the style's
// title-bar icons come framed), in the ink of the moment: the palette gives a window without
// the keyboard its inactive text.
class GlyphButton : public QToolButton {
public:
    GlyphButton(QWidget* bar, std::initializer_list<QLineF> strokes)
        : QToolButton(bar), strokes_(strokes) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QToolButton::paintEvent(event); // the panel under the pointer
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(QRectF(rect()).center());
        painter.setPen(QPen(palette().windowText(), 1.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLines(strokes_);
    }

private:
    QList<QLineF> strokes_;
};

} // namespace

bool TitleBar::Needed() {
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    // The compositor draws title bars when it offers xdg-decoration: a connection of our own
    // reads its globals before Qt's window is made. Qt 6.4 has no public way to ask.
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return false; // Qt cannot show a window here either; leave everything to it
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
    return !offered;
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
    setGeometry(0, 0, window->width(), kTitleBarHeight);
    // Along the right edge, as far from it as from the top.
    const int top = (kTitleBarHeight - kButtonSize) / 2;
    int left = width() - top;
    auto button = [&](const char* tip, std::initializer_list<QLineF> strokes, auto action) {
        auto* b = new GlyphButton(this, strokes);
        b->setToolTip(QString::fromUtf8(tip));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(left -= kButtonSize, top, kButtonSize, kButtonSize);
        connect(b, &QToolButton::clicked, window, action);
    };
    button("Close", {{-3.5, -3.5, 3.5, 3.5}, {3.5, -3.5, -3.5, 3.5}}, &QWidget::close);
    button("Minimize", {{-3.5, 3.5, 3.5, 3.5}}, &QWidget::showMinimized);
}

void TitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr)
        window()->windowHandle()->startSystemMove();
}

void TitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window().color().darker(108));
    painter.setPen(palette().mid().color());
    painter.drawLine(0, height() - 1, width(), height() - 1);

    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(palette().windowText().color());
    // Centered where the buttons leave room, cut only when it cannot fit.
    const QRect room(kMargin, 0, childrenRect().left() - 2 * kMargin, height());
    const QString title =
        painter.fontMetrics().elidedText(window()->windowTitle(), Qt::ElideRight, room.width());
    painter.drawText(room, Qt::AlignCenter, title);
}
