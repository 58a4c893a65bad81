// The one seam through which the player tells the user something: every
// message box of the program goes through ShowUserMessage. The Windows build
// installs a sink that calls MessageBoxA without an owner window; tests
// install one that records the text and caption instead of blocking.
#pragma once

#include <cstdint>

// MessageBoxA style bits used by the player (same values as in winuser.h).
constexpr uint32_t kMessageOk = 0x00000000;
constexpr uint32_t kMessageIconError = 0x00000010;
constexpr uint32_t kMessageIconInformation = 0x00000040;
constexpr uint32_t kMessageYesNo = 0x00000004;
constexpr uint32_t kMessageIconWarning = 0x00000030;
constexpr uint32_t kMessageDefaultSecond = 0x00000100;  // the second button ("Non") is the default
// What a sink returns for the "Oui" button (IDYES).
constexpr int kMessageAnsweredYes = 6;

using UserMessageSink = int (*)(const char* text, const char* caption, uint32_t style);

// Installs a sink and returns the previous one; null restores the default
// (MessageBoxA on Windows, standard error elsewhere).
UserMessageSink SetUserMessageSink(UserMessageSink sink);

int ShowUserMessage(const char* text, const char* caption, uint32_t style);
