// What the player will show of a quiz that compiles: texts its controls
// cut, answers players will find hard to match, answer pictures that do not
// fit their frame, labels hard to read on the background, pictures far
// larger than the player shows. Each finding is a warning on the source
// line it concerns, with what to do.
#pragma once

#include <string>
#include <vector>

#include "tool/quiz_source.h"

void PreviewQuiz(const std::string& path, const std::string& tomlText, const CompiledQuiz& quiz,
                 std::vector<Diagnostic>* diagnostics);

// WCAG contrast ratio of two colours (1 to 21).
double ContrastRatio(int r1, int g1, int b1, int r2, int g2, int b2);

// The fitted size of a picture in the player's 260 x 260 frame; a PNG goes
// through the fitting twice, as the player does.
void FittedPictureSize(unsigned width, unsigned height, bool png, unsigned* fittedWidth,
                       unsigned* fittedHeight);
