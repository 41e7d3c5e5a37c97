// The Qt side of a BView: its back buffer and the widget that shows it.
#pragma once

#include "platform/View.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QWidget>

#include <memory>

class ViewWidget : public QWidget {
public:
    explicit ViewWidget(BView* view);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

private:
    BView* view_;
};

struct ViewPrivate {
    uint32 flags = 0;
    BWindow* window = nullptr;

    rgb_color high = {0, 0, 0, 255};
    BPoint pen{0, 0};
    QFont font;

    // Views draw outside paint events as well (a caller may draw, Sync and sleep before the
    // event loop runs again), so the picture is kept here and the widget only shows it. It has a
    // whole number of device pixels per view pixel, so circles and edges stay crisp; at a
    // fractional ratio it is drawn at the next whole one and scaled down when shown.
    QImage buffer;
    int scale = 1;
    // Open on the buffer for its whole life: opening one per operation costs allocations.
    QPainter painter;
    QRect dirty; // changed since last shown, in view pixels

    // Placed at the view's frame from the start; its parent is the window's, once added.
    std::unique_ptr<ViewWidget> widget;
    bool needsDraw = true;
    bool syncing = false;  // inside a Sync's repaint
    bool painting = false; // inside any paint event

    int width() const { return widget->width(); }
    int height() const { return widget->height(); }
    QColor High() const { return QColor(high.red, high.green, high.blue); }
    void AllocateBuffer(int newScale);
    void MarkDirty(const QRectF& area) {
        dirty |= area.toAlignedRect() & QRect(0, 0, width(), height());
    }
    // What a Sync repaints: every pixel of the widget the change may have touched.
    QRect RepaintRect() const;
};
