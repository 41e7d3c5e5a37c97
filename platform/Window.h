// A top-level window of the kit: hosts a menu bar and views, delivers their pulses and keys,
// and handles its messages as a looper.
#pragma once

#include "platform/Looper.h"
#include "platform/Types.h"

#include <memory>

class QWidget;
class BMenuBar;
class BView;
struct WindowPrivate;

class BWindow : public BLooper {
public:
    // Windows are created with new; the application deletes them when they quit.
    BWindow(BRect frame, const char* title, window_type type, uint32 flags,
            uint32 workspace = B_CURRENT_WORKSPACE);
    ~BWindow() override;

    // The window takes ownership of the view and places it at the view's frame.
    void AddChild(BView* view);
    // The window takes ownership of the bar and puts it along its top edge.
    void AddChild(BMenuBar* bar);

    // The content area: left and top 0.
    BRect Bounds() const;

    void Show();
    void Hide();
    // Brings the window to the front and gives it the keyboard.
    void Activate();

    // Microseconds between Pulse() calls of the window's views, in whole milliseconds; 0 stops
    // them. While an alert is up the pulses are held and resume at the latest rate afterwards.
    void SetPulseRate(bigtime_t rate);
    bigtime_t PulseRate() const;

    QWidget* Widget() const;

private:
    std::unique_ptr<WindowPrivate> d;
};
