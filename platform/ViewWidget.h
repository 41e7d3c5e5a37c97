// The Qt side of a BView: the back buffer, the text state, and the widget that shows them.
#pragma once

#include "platform/DiscCache.h"
#include "platform/DiscMask.h"
#include "platform/View.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>

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
    BView* owner = nullptr;
    BRect frame;
    std::string name;
    uint32 resizingMode = 0;
    uint32 flags = 0;
    BWindow* window = nullptr;

    rgb_color high = {0, 0, 0, 255};
    rgb_color low = {255, 255, 255, 255};
    BPoint pen;

    QImage buffer;
    int scale = 1;
    QFont font;
    QFontMetricsF metrics{QFont()};
    // Reused for every text so drawing a number does not allocate.
    mutable QString scratch;
    // Text is the only thing drawn through a painter; it lives as long as the buffer.
    std::unique_ptr<QPainter> textPainter;

    // Discs drawn around one centre are held back and stamped together when anything else
    // touches the buffer, so a pixel covered by a later disc is painted once.
    static constexpr int kMaxPendingDiscs = 8;
    DiscLayer pendingDiscs[kMaxPendingDiscs] = {};
    int pendingCount = 0;
    int pendingX = 0;
    int pendingY = 0;
    DiscStackCache discCache;

    std::unique_ptr<ViewWidget> widget;
    bool needsDraw = true;
    bool syncing = false;  // inside a Sync's repaint
    bool painting = false; // inside any paint event

    int width() const { return static_cast<int>(frame.Width()) + 1; }
    int height() const { return static_cast<int>(frame.Height()) + 1; }
    void AllocateBuffer(int newScale);
    const QString& ToQString(const char* text) const;
    QPainter& TextPainter();
    void FillDeviceRect(int x0, int y0, int x1, int y1, rgb_color color);
    void AddDisc(int cx, int cy, const DiscMask* mask, rgb_color color);
    void FlushDiscs() {
        if (pendingCount > 0)
            StampPendingDiscs();
    }
    void StampPendingDiscs();
    // Device pixels per view pixel that a widget on this screen wants.
    static int ScaleFor(double devicePixelRatio);
};
