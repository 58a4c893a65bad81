// How wide the player draws a text: the fonts of its controls, measured
// under Wine (tool/player_font_widths.cpp, generated), and the line model
// of its static controls.
#pragma once

#include <string>
#include <vector>

enum PlayerFont { kDialogFont, kGuiFont, kLinkFont, kTitleFont, kPaneFont, kPlayerFontCount };

struct PlayerFontMetrics {
  int lineHeight;
  int widths[224];  // Windows-1252 characters 0x20..0xFF
};

extern const PlayerFontMetrics kPlayerFontMetrics[kPlayerFontCount];

// Width in pixels of a Windows-1252 text drawn on one line.
int TextWidth(PlayerFont font, const std::string& cp1252);

// The lines a static control with word wrap breaks the text into: at
// spaces and soft breaks (after '/' or '-' before a letter), a word longer
// than the line staying whole, and clipped, on its own line.
std::vector<std::string> WrapLines(PlayerFont font, const std::string& cp1252, int width);

// The longest start of the text that fits on one line of `width` pixels.
std::string FittingStart(PlayerFont font, const std::string& cp1252, int width);
