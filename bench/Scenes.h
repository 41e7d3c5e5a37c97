// Game positions and window setups shared by the benchmark and timing programs.
#pragma once

#include "game/Layout.h"
#include "game/TumbleView.h"
#include "platform/Window.h"

#include <memory>

// A window like the game's, shown on the current platform, with the view under the menu bar.
struct Stage {
    std::unique_ptr<BWindow> window;
    TumbleView* view = nullptr; // owned by the window

    // Shows a new window holding view (a plain TumbleView when null) and pumps the event loop
    // until the view has been painted once.
    static Stage Shown(TumbleView* view = nullptr);
};

// The benchmarks' views live until the process ends: a view must never outlive the
// application object, so these are deliberately not destroyed.
TumbleView& KeptView();    // a new view, never shown
Stage& SharedShownStage(); // one shown window for every benchmark that syncs

using Board = uint8[kBoardColumns][kWellRows];

// Every cell of the well holds a gem or a magic gem.
void FillWithGems(TumbleView& view);
// Gems up to row topRow with no two neighbors alike in any direction, so nothing matches.
void FillDenseNoRun(TumbleView& view, int32 topRow);
int32 DenseNoRunValue(int32 x, int32 y);
// A landing of the piece at column 0 that clears three times, one run per step.
void SetChainLanding(TumbleView& view);
// Well contents with gaps of every size for ShiftArray to close.
void FillWithGaps(TumbleView& view);
// Puts the falling piece in a column with its bottom gem at row bottomRow.
void PlacePiece(TumbleView& view, int32 column, int32 bottomRow, uint8 top, uint8 middle,
                uint8 bottom);
// Makes a paused round: pulses stop and nothing but the calls made here moves the game.
void StartQuietRound(TumbleView& view);
