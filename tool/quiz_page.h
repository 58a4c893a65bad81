// The one-file web page of a quiz: the play page template (made by the web
// build: page, styles and play core, with an empty quiz block) with the
// quiz's pack put into its block as base64. The pack holds only what the
// play core reads of the executable, so the page stays small; the
// executable's SHA-256 inside keeps the answers under the web player's key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "content/quiz_pack.h"

// The text the template carries in its quiz block, replaced by the pack.
inline constexpr char kQuizPagePlaceholder[] = "TRIVO-QUIZ-PACK";

// The stored block and the quiz's resources ("PATCH", "IMG", RCDATA) of a
// quiz executable; false with a message when it is not one.
bool ExtractQuizPack(const std::vector<uint8_t>& exe, QuizPack* pack, std::string* error);
// The page for the quiz executable; false with a message when the exe is
// not a quiz or the template has no quiz block.
bool MakeQuizPage(const std::vector<uint8_t>& exe, const std::string& pageTemplate, std::string* page,
                  std::string* error);
// The page template this tool carries (empty when built without one).
std::string EmbeddedQuizPageTemplate();
