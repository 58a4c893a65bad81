// What the player will show of a quiz that compiles: texts its controls
// cut, answers players will find hard to match, answer pictures that do not
// fit their frame, labels hard to read on the background, pictures far
// larger than the player shows. Each finding is a warning on the source
// line it concerns, with what to do.
#pragma once

#include <string>
#include <vector>

#include "play/pane_layout.h"
#include "tool/player_fonts.h"
#include "tool/quiz_source.h"

// A text control of the player at the default window size (544 x 375):
// the width and height its text is drawn in, and its font.
struct PlayerTextBox {
  PlayerFont font;
  int width;
  int height;
};

// The header strip's client width at the default window size.
constexpr int kDefaultStripClientWidth = 523;
constexpr PlayerTextBox kLinkBox = {kLinkFont, 115, 18};
constexpr PlayerTextBox kFooterBox = {kGuiFont, 145, 15};  // 150 wide, 5 outside the window
constexpr PlayerTextBox kTitleBox = {kTitleFont, kDefaultStripClientWidth - 350, 18};
constexpr PlayerTextBox kExplanationBox = {kGuiFont, kDefaultStripClientWidth - 324, 28};
constexpr PlayerTextBox kCreatorBox = {kGuiFont, 105, 18};
constexpr PlayerTextBox kAnswerLabelBox = {kGuiFont, kAnswerLabel1.width, kAnswerLabel1.height};
constexpr PlayerTextBox kCommentBox = {kGuiFont, kCellComment.width, kCellComment.height};
// A text quiz's question box draws one line inside its 1-pixel border.
constexpr int kControlBorder = 1;
constexpr PlayerTextBox kQuestionBox = {kPaneFont, kLineQuestion.width - 2 * kControlBorder,
                                        kLineQuestion.height - 2 * kControlBorder};

void PreviewQuiz(const std::string& path, const std::string& tomlText, const CompiledQuiz& quiz,
                 std::vector<Diagnostic>* diagnostics);

// WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(int r1, int g1, int b1, int r2, int g2, int b2);

// The fitted size of a picture in the player's 260 x 260 frame; a PNG goes
// through the fitting twice, as the player does.
void FittedPictureSize(unsigned width, unsigned height, bool png, unsigned* fittedWidth,
                       unsigned* fittedHeight);
