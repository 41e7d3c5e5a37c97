#include "platform/Window.h"

#include "platform/Menu.h"
#include "platform/TitleBar.h"
#include "platform/ViewWidget.h"
#include "platform/WindowWidget.h"

#include <QApplication>
#include <QCloseEvent>

#include <algorithm>

void WindowWidget::closeEvent(QCloseEvent* event) {
    // The close box asks the window, through its message queue, as a quit request.
    event->ignore();
    window_->PostMessage(B_QUIT_REQUESTED);
}

BWindow::BWindow(BRect frame, const char* title, window_type, uint32 flags, uint32)
    : d(std::make_unique<WindowPrivate>()) {
    d->widget = std::make_unique<WindowWidget>(this);
    QWidget* window = d->widget.get();
    window->setWindowTitle(QString::fromUtf8(title));
    const bool ownTitleBar =
        (flags & B_NOT_RESIZABLE) != 0 && (flags & B_NOT_ZOOMABLE) != 0 && TitleBar::Needed();
    if (ownTitleBar) {
        // Qt's own title bar would offer maximize on a window that cannot grow: the window
        // goes without it and gets ours, with its content, unchanged, below.
        window->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    } else if ((flags & B_NOT_ZOOMABLE) != 0) {
        // Without the customize hint Qt's default decorations, maximize among them, stay
        // whatever hints are cleared; with it, the title bar holds only what is listed.
        window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint);
    }
    const QSize size(static_cast<int>(frame.Width()) + 1, static_cast<int>(frame.Height()) + 1);
    const int top = ownTitleBar ? kTitleBarHeight : 0;
    window->setGeometry(static_cast<int>(frame.left), static_cast<int>(frame.top), size.width(),
                        top + size.height());
    if ((flags & B_NOT_RESIZABLE) != 0)
        window->setFixedSize(window->size());
    if (ownTitleBar)
        new TitleBar(window);
    d->content = new QWidget(window);
    d->content->setGeometry(QRect(QPoint(0, top), size));
    d->pulseTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&d->pulseTimer, &QTimer::timeout, [this] {
        // A modal box's event loop goes on firing the timer; the game waits for the box.
        if (QApplication::activeModalWidget() != nullptr)
            return;
        for (const auto& view : d->children)
            if ((view->d->flags & B_PULSE_NEEDED) != 0)
                view->Pulse();
    });
    WindowPrivate::all.push_back(this);
}

BWindow::~BWindow() {
    std::erase(WindowPrivate::all, this);
}

void BWindow::AddChild(BView* view) {
    d->children.emplace_back(view);
    view->d->window = this;
    view->Widget()->setParent(d->content);
    view->Widget()->show();
    view->AttachedToWindow();
}

void BWindow::AddChild(BMenuBar* bar) {
    bar->setParent(d->content);
    bar->setFixedSize(d->content->width(), kMenuBarHeight);
    // The view keeps the keyboard; the bar is reached through its shortcuts.
    bar->setFocusPolicy(Qt::NoFocus);
    bar->show();
}

BRect BWindow::Bounds() const {
    return BRect(0, 0, d->content->width() - 1, d->content->height() - 1);
}

void BWindow::Show() {
    d->widget->show();
    Activate();
}

void BWindow::Hide() {
    d->widget->hide();
}

void BWindow::Activate() {
    d->widget->setWindowState(d->widget->windowState() & ~Qt::WindowMinimized);
    d->widget->raise();
    d->widget->activateWindow();
}

void BWindow::SetPulseRate(bigtime_t rate) {
    if (rate > 0)
        d->pulseTimer.start(std::max(1, static_cast<int>((rate + 500) / 1000)));
    else
        d->pulseTimer.stop();
}

bigtime_t BWindow::PulseRate() const {
    return d->pulseTimer.isActive() ? bigtime_t{1000} * d->pulseTimer.interval() : 0;
}

QWidget* BWindow::Widget() const {
    return d->widget.get();
}
