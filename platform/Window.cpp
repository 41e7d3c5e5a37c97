#include "platform/Window.h"

#include "platform/ViewWidget.h"
#include "platform/WindowWidget.h"

#include <QCloseEvent>

#include <algorithm>

void WindowWidget::closeEvent(QCloseEvent* event) {
    if (window_->QuitRequested())
        event->accept();
    else
        event->ignore();
}

void WindowPrivate::DeliverPulse() {
    for (BView* view : children) {
        if ((view->Flags() & B_PULSE_NEEDED) != 0)
            view->Pulse();
    }
}

BWindow::BWindow(BRect frame, const char* title, window_type, uint32 flags, uint32)
    : d(std::make_unique<WindowPrivate>()) {
    d->owner = this;
    d->frame = frame;
    d->title = title != nullptr ? title : "";
    d->flags = flags;
    d->widget = std::make_unique<WindowWidget>(this);
    d->widget->setWindowTitle(QString::fromStdString(d->title));
    const int width = static_cast<int>(frame.Width()) + 1;
    const int height = static_cast<int>(frame.Height()) + 1;
    d->widget->setGeometry(static_cast<int>(frame.left), static_cast<int>(frame.top), width,
                           height);
    if ((flags & B_NOT_RESIZABLE) != 0)
        d->widget->setFixedSize(width, height);
    if ((flags & B_NOT_ZOOMABLE) != 0)
        d->widget->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    d->pulseTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&d->pulseTimer, &QTimer::timeout, [p = d.get()] { p->DeliverPulse(); });
}

BWindow::~BWindow() {
    d->pulseTimer.stop();
    for (BView* view : d->children)
        delete view;
    d->children.clear();
}

void BWindow::AddChild(BView* view) {
    if (view == nullptr)
        return;
    d->children.push_back(view);
    view->d->window = this;
    QWidget* w = view->Widget();
    w->setParent(d->widget.get());
    const BRect f = view->Frame();
    w->move(static_cast<int>(f.left), static_cast<int>(f.top));
    w->show();
    view->AttachedToWindow();
}

BRect BWindow::Bounds() const {
    return BRect(0, 0, d->frame.Width(), d->frame.Height());
}
BRect BWindow::Frame() const {
    return d->frame;
}
const char* BWindow::Title() const {
    return d->title.c_str();
}
uint32 BWindow::Flags() const {
    return d->flags;
}

void BWindow::Show() {
    d->widget->show();
    d->widget->raise();
    d->widget->activateWindow();
}

void BWindow::Hide() {
    d->widget->hide();
}
bool BWindow::IsHidden() const {
    return !d->widget->isVisible();
}

void BWindow::SetPulseRate(bigtime_t rate) {
    d->pulseRate = rate > 0 ? rate : 0;
    if (d->pulseRate == 0) {
        d->pulseTimer.stop();
        return;
    }
    // QTimer counts milliseconds; the game's rates are whole milliseconds.
    d->pulseTimer.start(std::max(1, static_cast<int>((d->pulseRate + 500) / 1000)));
}

bigtime_t BWindow::PulseRate() const {
    return d->pulseRate;
}
QWidget* BWindow::Widget() const {
    return d->widget.get();
}
