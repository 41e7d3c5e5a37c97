// Game positions and window setups shared by the benchmark and timing programs.
#pragma once

#include "tests/support/Fixture.h"

// A window like the game's, shown on the current platform: MakeGameWindow(view, true).
using Stage = GameWindow;

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
// Makes a paused round: pulses stop and nothing but the calls made here moves the game.
void StartQuietRound(TumbleView& view);
