// The Qt side of a BView: the back buffer, the text state, and the widget that shows them.
#pragma once

#include "platform/DiscCache.h"
#include "platform/DiscMask.h"
#include "platform/TextCache.h"
#include "platform/View.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QString>
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
    BRect frame;
    uint32 flags = 0;
    BWindow* window = nullptr;

    rgb_color high = {0, 0, 0, 255};
    BPoint pen;

    QImage buffer; // drawn and read through Pixels() only
    int scale = 1;
    QFont font;
    QFontMetricsF metrics{QFont()};
    // Fonts by pixel size, so switching between the sizes in use allocates nothing.
    struct SizedFont {
        int pixelSize = 0;
        QFont font;
        QFontMetricsF metrics{QFont()};
        uint64_t lastUse = 0;
    };
    static constexpr int kFontSizes = 4;
    SizedFont fonts[kFontSizes];
    uint64_t fontClock = 0;
    void UseFontSize(int pixelSize);
    // Reused for every text so drawing a number does not allocate.
    mutable QString scratch;
    // Text is the only thing drawn through a painter; it lives as long as the buffer. Its font
    // and pen are set only when they change, since setting either allocates.
    std::unique_ptr<QPainter> textPainter;
    bool painterFontCurrent = false;
    bool painterPenSet = false;
    rgb_color painterPen = {0, 0, 0, 0};
    TextCache texts;

    // Discs drawn around one center are held back and stamped together when the pixels are
    // next reached, so a pixel covered by a later disc is painted once.
    static constexpr int kMaxPendingDiscs = 8;
    DiscLayer pendingDiscs[kMaxPendingDiscs] = {};
    int pendingCount = 0;
    int pendingX = 0;
    int pendingY = 0;
    DiscStackCache discCache;

    // What changed since the picture was last shown, in view pixels: [x0, x1) by [y0, y1).
    int dirtyX0 = 0;
    int dirtyY0 = 0;
    int dirtyX1 = 0;
    int dirtyY1 = 0;

    // Regions handed to the backing store, one per size, moved into place for each Sync so
    // showing a frame allocates nothing once the sizes have been seen.
    struct SyncRegion {
        QRegion region;
        uint64_t lastUse = 0;
    };
    static constexpr int kSyncRegions = 8;
    SyncRegion syncRegions[kSyncRegions];
    uint64_t syncCount = 0;
    const QRegion& RegionFor(const QRect& rect);

    std::unique_ptr<ViewWidget> widget;
    bool needsDraw = true;
    bool syncing = false;  // inside a Sync's repaint
    bool painting = false; // inside any paint event

    int width() const { return static_cast<int>(frame.Width()) + 1; }
    int height() const { return static_cast<int>(frame.Height()) + 1; }
    void AllocateBuffer(int newScale);
    const QString& ToQString(const char* text) const;
    QPainter& TextPainter();
    // The painter ready to draw text in the current font and high color.
    QPainter& TextPainterForText();
    void FillDeviceRect(int x0, int y0, int x1, int y1, rgb_color color);
    void AddDisc(int cx, int cy, const DiscMask* mask, rgb_color color);
    // The back buffer with the held discs stamped in; nothing else reaches the pixels.
    QImage& Pixels();
    void MarkDirty(float left, float top, float right, float bottom);
    bool Dirty() const { return dirtyX0 < dirtyX1 && dirtyY0 < dirtyY1; }
    void ClearDirty() { dirtyX0 = dirtyY0 = dirtyX1 = dirtyY1 = 0; }
    // Copies what changed straight into the window's backing store and flushes it; false
    // where that cannot be done and the widget must repaint instead.
    bool ShowDirty();
    // What a Sync that cannot use ShowDirty repaints: every pixel of the widget the change
    // may have touched.
    QRect RepaintRect() const;
    // Device pixels per view pixel that a widget on this screen wants.
    static int ScaleFor(double devicePixelRatio);
};
