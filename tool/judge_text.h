// `trivo judge`: the verdict for an expected answer and a typed text given in
// UTF-8, held as the player holds them.
#pragma once

#include <string>

// True with the verdict word in UTF-8; false with a message when the text is
// not UTF-8 or the expected answer holds a character no quiz can carry.
bool JudgeUtf8(const std::string& expected, const std::string& typed, std::string* verdict,
               std::string* error);
