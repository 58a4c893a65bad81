// `trivo html QUIZ.exe -o PAGE.html`, and the page `trivo build --html` writes
// in place of the executable: the quiz's one-file web page (tool/quiz_page.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Writes the page of the quiz executable's bytes; false with the reason on
// `errors` (no template built in, not a quiz, cannot write).
bool WriteQuizPage(const std::vector<uint8_t>& exe, const std::string& output, std::ostream& errors,
                   size_t* size = nullptr);
// Exit code 0, or 1 with the reason on `errors`. The output defaults to the
// executable's name with .html.
int RunHtml(const std::string& exePath, std::string output, std::ostream& out, std::ostream& errors);
