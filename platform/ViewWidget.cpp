#include "platform/ViewWidget.h"

#include "platform/KeyBytes.h"

#include <QKeyEvent>
#include <QPaintEvent>

ViewWidget::ViewWidget(BView* view) : view_(view) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void ViewWidget::showEvent(QShowEvent*) {
    // Shown after being hidden (or for the first time): the picture is made anew.
    view_->d->needsDraw = true;
}

void ViewWidget::paintEvent(QPaintEvent* event) {
    ViewPrivate& d = *view_->d;
    const int wanted = ViewPrivate::ScaleFor(devicePixelRatioF());
    if (wanted != d.scale) {
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
    if (d.scale != devicePixelRatioF())
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, d.width(), d.height()), d.Pixels());
    if (event->rect().contains(rect()))
        d.ClearDirty();
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
    char bytes[kMaxKeyBytes + 1];
    const int count = KeyBytes(*event, bytes);
    if (count == 0) {
        event->ignore();
        return;
    }
    event->accept();
    view_->KeyDown(bytes, count);
}
