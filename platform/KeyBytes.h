// What a key press is worth to a view: the bytes KeyDown receives.
#pragma once

class QKeyEvent;

constexpr int kMaxKeyBytes = 8;

// Fills out (NUL-terminated) and returns the byte count; 0 means the key is not delivered.
int KeyBytes(const QKeyEvent& event, char (&out)[kMaxKeyBytes + 1]);
