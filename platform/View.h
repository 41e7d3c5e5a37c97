// The drawing view of the kit: a persistent back buffer shown by a widget, plus the hooks
// through which the window hands it drawing requests, pulses and keys.
#pragma once

#include "platform/Types.h"

#include <memory>

class QImage;
class QWidget;
class BWindow;
struct ViewPrivate;

class BView {
public:
    BView(BRect frame, const char* name, uint32 resizingMode, uint32 flags);
    virtual ~BView();

    // Hooks.
    virtual void AttachedToWindow() {}
    virtual void Draw(BRect /*updateRect*/) {}
    virtual void Pulse() {}
    virtual void KeyDown(const char* /*bytes*/, int32 /*numBytes*/) {}

    // Drawing. Integer coordinates name pixel centers; rectangles include both edges.
    void SetHighColor(rgb_color color);
    void SetHighColor(uint8 r, uint8 g, uint8 b, uint8 a = 255) { SetHighColor({r, g, b, a}); }
    rgb_color HighColor() const;
    // Nothing in this kit draws in the low color.
    void SetLowColor(rgb_color) {}
    void SetLowColor(uint8, uint8, uint8, uint8 = 255) {}
    // Solid, in the high color: the kit has no patterns.
    void FillRect(BRect rect);
    void StrokeRect(BRect rect);
    void FillEllipse(BPoint center, float xRadius, float yRadius);
    void SetFontSize(float pixels);
    float StringWidth(const char* text) const;
    void MovePenTo(float x, float y);
    void MovePenTo(BPoint pt) { MovePenTo(pt.x, pt.y); }
    void DrawString(const char* text);

    BRect Bounds() const;

    // Shows everything drawn so far, now.
    void Sync();
    // Asks for Draw() to be called for the whole view from the event loop.
    void Invalidate();

    BWindow* Window() const;
    void MakeFocus(bool focus = true);

    // The back buffer as drawn, at its device-pixel ratio (a copy).
    QImage Snapshot() const;
    QWidget* Widget() const;

private:
    friend class BWindow;
    friend class ViewWidget;
    std::unique_ptr<ViewPrivate> d;
};
