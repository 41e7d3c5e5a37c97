// The menu commands of the game's window.
#pragma once

#include "platform/Message.h"

constexpr uint32 kNewGameCommand = FourCharCode("GMnw");
constexpr uint32 kEndGameCommand = FourCharCode("GMed");
constexpr uint32 kQuitCommand = FourCharCode("GMqt");
constexpr uint32 kAboutCommand = FourCharCode("HLab");

static_assert(kNewGameCommand == 0x474D6E77);
static_assert(kEndGameCommand == 0x474D6564);
static_assert(kQuitCommand == 0x474D7174);
static_assert(kAboutCommand == 0x484C6162);

constexpr const char* kSignature = "application/x-vnd.Brightnook-Tumblegem";
