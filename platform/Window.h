// A top-level window of the kit: hosts views, delivers their pulses and keys.
#pragma once

#include "platform/Types.h"

#include <memory>

class QWidget;
class BView;
struct WindowPrivate;

class BWindow {
public:
    BWindow(BRect frame, const char* title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    virtual ~BWindow();
    BWindow(const BWindow&) = delete;
    BWindow& operator=(const BWindow&) = delete;

    // The window takes ownership of the view and places it at the view's frame.
    void AddChild(BView* view);

    // The content area: left and top 0.
    BRect Bounds() const;
    BRect Frame() const;
    const char* Title() const;
    uint32 Flags() const;

    void Show();
    void Hide();
    bool IsHidden() const;

    // Microseconds between Pulse() calls of the window's views; 0 stops them.
    void SetPulseRate(bigtime_t rate);
    bigtime_t PulseRate() const;

    // Hook: the close box asks; true lets the window close.
    virtual bool QuitRequested() { return true; }

    QWidget* Widget() const;

protected:
    WindowPrivate& Private() const { return *d; }

private:
    friend struct WindowPrivate;
    std::unique_ptr<WindowPrivate> d;
};
