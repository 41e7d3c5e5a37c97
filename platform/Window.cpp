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

std::vector<BWindow*>& WindowPrivate::All() {
    static std::vector<BWindow*> windows;
    return windows;
}

void WindowPrivate::DeliverPulse() {
    // A modal box's event loop goes on firing the timer; the game waits for the box.
    if (QApplication::activeModalWidget() != nullptr)
        return;
    for (BView* view : children) {
        if ((view->Flags() & B_PULSE_NEEDED) != 0)
            view->Pulse();
    }
}

void WindowPrivate::RestartPulses() {
    if (pulseRate == 0)
        pulseTimer.stop();
    else
        pulseTimer.start(std::max(1, static_cast<int>((pulseRate + 500) / 1000)));
}

BWindow::BWindow(BRect frame, const char* title, window_type, uint32 flags, uint32)
    : d(std::make_unique<WindowPrivate>()) {
    d->frame = frame;
    d->widget = std::make_unique<WindowWidget>(this);
    d->widget->setWindowTitle(QString::fromUtf8(title != nullptr ? title : ""));
    const int width = static_cast<int>(frame.Width()) + 1;
    const int height = static_cast<int>(frame.Height()) + 1;
    d->content = d->widget.get();
    int barHeight = 0;
    if ((flags & B_NOT_RESIZABLE) != 0 && (flags & B_NOT_ZOOMABLE) != 0 && TitleBar::Needed()) {
        // Qt's own title bar would offer maximize on a window that cannot grow: the window
        // goes without it and gets ours, with its content, unchanged, below.
        d->widget->setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        d->widget->resize(width, kTitleBarHeight + height);
        new TitleBar(d->widget.get());
        d->content = new QWidget(d->widget.get());
        d->content->setGeometry(0, kTitleBarHeight, width, height);
        barHeight = kTitleBarHeight;
    } else if ((flags & B_NOT_ZOOMABLE) != 0) {
        // Without the customize hint Qt's default decorations, maximize among them, stay
        // whatever hints are cleared; with it, the title bar holds only what is listed.
        d->widget->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                  Qt::WindowCloseButtonHint);
    }
    d->widget->setGeometry(static_cast<int>(frame.left), static_cast<int>(frame.top), width,
                           barHeight + height);
    if ((flags & B_NOT_RESIZABLE) != 0)
        d->widget->setFixedSize(width, barHeight + height);
    d->pulseTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&d->pulseTimer, &QTimer::timeout, [p = d.get()] { p->DeliverPulse(); });
    WindowPrivate::All().push_back(this);
}

BWindow::~BWindow() {
    auto& all = WindowPrivate::All();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    for (BView* view : d->children)
        delete view;
}

void BWindow::AddChild(BView* view) {
    if (view == nullptr)
        return;
    d->children.push_back(view);
    view->d->window = this;
    QWidget* w = view->Widget();
    w->setParent(d->content);
    const BRect f = view->d->frame;
    w->move(static_cast<int>(f.left), static_cast<int>(f.top));
    w->show();
    view->AttachedToWindow();
}

void BWindow::AddChild(BMenuBar* bar) {
    if (bar == nullptr)
        return;
    bar->window_ = this;
    bar->setParent(d->content);
    bar->setFixedSize(static_cast<int>(Bounds().Width()) + 1, kMenuBarHeight);
    // The view keeps the keyboard; the bar is reached through its shortcuts.
    bar->setFocusPolicy(Qt::NoFocus);
    bar->show();
}

BRect BWindow::Bounds() const {
    return BRect(0, 0, d->frame.Width(), d->frame.Height());
}

void BWindow::Show() {
    d->widget->show();
    Activate();
}

void BWindow::Hide() {
    d->widget->hide();
}

void BWindow::Activate() {
    QWidget* w = d->widget.get();
    if (w->isMinimized())
        w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
    w->raise();
    w->activateWindow();
}

void BWindow::SetPulseRate(bigtime_t rate) {
    d->pulseRate = rate > 0 ? rate : 0;
    d->RestartPulses();
}

bigtime_t BWindow::PulseRate() const {
    return d->pulseRate;
}

void BWindow::Quit() {
    Hide();
    BLooper::Quit();
}

QWidget* BWindow::Widget() const {
    return d->widget.get();
}
