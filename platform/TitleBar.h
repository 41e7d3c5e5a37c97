// A title bar of the kit's own, for a window of one size on a Wayland compositor that leaves
// window decorations to the program.
#pragma once

#include <QWidget>

class TitleBar : public QWidget {
public:
    // Whether a window that cannot grow needs a title bar of ours: only on Wayland, where the
    // compositor offers no server-side decorations and Qt would draw its own bar, which offers
    // maximize whatever the window's hints say.
    static bool Needed();

    // Spans the top of its window, as wide as the window is now; the window's content goes
    // below it.
    explicit TitleBar(QWidget* window);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    // A double click maximizes elsewhere; this window keeps its size.
    void mouseDoubleClickEvent(QMouseEvent*) override {}
    void paintEvent(QPaintEvent* event) override;
};

constexpr int kTitleBarHeight = 26;
