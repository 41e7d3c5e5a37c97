// Basic types, geometry and constants of the application kit.
#pragma once

#include <cstdint>

using int8 = std::int8_t;
using uint8 = std::uint8_t;
using int32 = std::int32_t;
using uint32 = std::uint32_t;
using bigtime_t = std::int64_t;
using status_t = std::int32_t;

constexpr status_t B_OK = 0;
constexpr status_t B_ERROR = -1;

struct rgb_color {
    uint8 red;
    uint8 green;
    uint8 blue;
    uint8 alpha;
};

struct BPoint {
    float x;
    float y;

    constexpr BPoint(float px, float py) : x(px), y(py) {}
};

// Edges are inclusive: left 10 to right 29 spans 20 pixels.
struct BRect {
    float left;
    float top;
    float right;
    float bottom;

    constexpr BRect(float l, float t, float r, float b) : left(l), top(t), right(r), bottom(b) {}

    constexpr float Width() const { return right - left; }
    constexpr float Height() const { return bottom - top; }
    constexpr bool IsValid() const { return left <= right && top <= bottom; }
    constexpr void InsetBy(float dx, float dy) {
        left += dx;
        top += dy;
        right -= dx;
        bottom -= dy;
    }
};

// View resizing modes and flags.
constexpr uint32 B_FOLLOW_LEFT_RIGHT = 0x1204;
constexpr uint32 B_FOLLOW_TOP = 0x0010;
constexpr uint32 B_FOLLOW_ALL_SIDES = 0x1234; // left, right, top and bottom
constexpr uint32 B_WILL_DRAW = 0x20000000;
constexpr uint32 B_PULSE_NEEDED = 0x10000000;

// A window's menu bar, in pixels.
constexpr int kMenuBarHeight = 20;

// Window types and flags.
enum window_type { B_TITLED_WINDOW = 1 };
constexpr uint32 B_NOT_RESIZABLE = 0x00000002;
constexpr uint32 B_NOT_ZOOMABLE = 0x00000040;
constexpr uint32 B_CURRENT_WORKSPACE = 0;

// Key bytes delivered to KeyDown.
constexpr char B_ENTER = 10;
constexpr char B_ESCAPE = 27;
constexpr char B_LEFT_ARROW = 28;
constexpr char B_RIGHT_ARROW = 29;
constexpr char B_UP_ARROW = 30;
constexpr char B_DOWN_ARROW = 31;
