// A headless game driven by actions, with the game's invariants checked after every one.
// The fuzzer, the corpus replay and the soak all play through it.
#pragma once

#include "game/TumbleView.h"

#include <cstddef>
#include <memory>
#include <string>

class BWindow;

// Byte language of RunActions. Header: seed for rand, then the stored best (index into the
// presets of StoredBestPreset). Then actions: an opcode byte (taken modulo kOpCount) and its
// operand bytes; a missing operand reads as 0.
enum Op : uint8 {
    kOpTick,        // one pulse
    kOpTicks,       // n: 1 + n % 32 pulses
    kOpTableKey,    // k: one of Enter, Escape and the arrows (k % 6)
    kOpRawKey,      // n, bytes...: a key of n % 5 bytes, any values
    kOpNewGame,     // StartGame when Idle
    kOpEndRound,    // EndGame when not Idle; the application would quit next
    kOpEditCell,    // x, y, value
    kOpFillColumn,  // x, from, to, base, step: rows from..to get (base + step*i) % 9
    kOpHiddenMagic, // x, y: a magic gem in hidden row y % 2
    kOpDraw,        // the Draw hook
    kOpPump,        // deliver posted window events
    kOpCount
};

// Contents of "Scores.data" before a run; nullptr means no file.
const char* StoredBestPreset(uint8 index);

class GameSession {
public:
    // Needs a QApplication. Plays in the working directory, where its score file lives.
    // pumpEvents, if given, delivers the window system's posted events.
    explicit GameSession(unsigned seed, void (*pumpEvents)() = nullptr);
    // The view as if built afresh: initial fields, best score loaded, rand seeded.
    void Restart(unsigned seed);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    TumbleView& View() { return *view_; }
    const TumbleView& View() const { return *view_; }

    // Each returns false once any invariant has been broken.
    bool Tick();
    bool Key(const char* bytes, int32 numBytes);
    bool NewGame();
    bool EndRound();
    // Hostile positions; refused (true, nothing changed) on a cell of the falling piece.
    bool EditCell(int32 x, int32 y, uint8 value);
    bool FillColumn(int32 x, int32 from, int32 to, uint8 base, uint8 step);
    bool DrawHook();
    bool Pump();

    // The first broken invariant, or empty.
    const std::string& Breach() const { return breach_; }
    long long Ticks() const { return ticks_; }
    long long Landings() const { return landings_; }
    long long Rounds() const { return rounds_; }

    // Checks every invariant of the resting game now; exposed so tests can plant breaches.
    bool CheckRest();

private:
    struct Record;
    static void OnSnooze(bigtime_t microseconds);
    void CheckPause();
    bool Fail(const std::string& what);
    bool After(const Record& before, bool checkDisk);
    bool CheckGravity(const Record& before);
    bool CheckShiftOnCopy();
    bool CheckDisk();
    bool PieceCell(int32 x, int32 y) const;

    std::unique_ptr<BWindow> window_;
    TumbleView* view_ = nullptr;
    std::unique_ptr<TumbleView> scratch_; // ShiftArray runs on copies of the board here
    void (*pump_)() = nullptr;
    std::string breach_;
    int32 roundFloor_ = 0; // score of this round so far
    int32 diskBest_ = 0;
    bool diskKnown_ = false;
    int32 knownHigh_ = 0;
    int pauses_ = 0;
    uint8 columnsAtPause_[kWellColumns][kWellRows] = {};
    uint8 shiftChecked_[kBoardColumns][kWellRows] = {}; // the board last checked on a copy
    long long ticks_ = 0;
    long long landings_ = 0;
    long long rounds_ = 0;
};

// Plays one input on a restarted session, in the working directory, from a score file made
// afresh. Returns the first broken invariant, or an empty string.
std::string RunActions(GameSession& session, const uint8* data, size_t size);
