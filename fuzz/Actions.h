// A headless game played from a string of action bytes, with the invariants of its state and
// of its score file checked after every action and at every pause. The fuzzer and the corpus
// replay play through it.
#pragma once

#include "game/TumbleView.h"

#include <string>

// Input: a seed for rand, the stored best (an index into a list of score files), then actions:
// an opcode byte (modulo kOpCount) and its operand bytes; a missing operand reads as 0.
enum Op : uint8 {
    kOpTick,        // one pulse
    kOpTicks,       // n: 1 + n % 32 pulses
    kOpTableKey,    // k: one of Enter, Escape and the arrows (k % 6)
    kOpRawKey,      // n, bytes...: a key of n % 5 bytes, any values
    kOpNewGame,     // StartGame when Idle
    kOpEndRound,    // EndGame when not Idle; the application would quit next
    kOpEditCell,    // x, y, value; never a cell of the falling piece
    kOpFillColumn,  // x, from, to, base, step: rows from..to get (base + step*i) % 9
    kOpHiddenMagic, // x, y: a magic gem in hidden row y % 2
    kOpDraw,        // the Draw hook
    kOpPump,        // deliver posted window events
    kOpCount
};

// Plays the input on a view built afresh in a window, in the working directory, from a score
// file made afresh; needs a QApplication. Gives the first broken invariant, or "".
std::string RunActions(const uint8* data, size_t size);
