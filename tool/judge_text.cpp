// The typed text becomes Windows-1252 with '?' for what it lacks, as in the
// player's fields; the expected answer must be a text a quiz can carry.
#include "tool/judge_text.h"

#include "content/text_1252.h"
#include "play/verdict_rules.h"
#include "tool/quiz_source.h"

bool JudgeUtf8(const std::string& expected, const std::string& typed, std::string* verdict,
               std::string* error) {
  const Utf8To1252Result expectedBytes = Utf8To1252(expected);
  const Utf8To1252Result typedBytes = TypedTextTo1252(typed);
  for (const Utf8To1252Result* text : {&expectedBytes, &typedBytes}) {
    if (!text->ok) {
      *error = text->badUtf8 ? std::string("the text is not UTF-8")
                             : "the character " + DescribeCodePoint(text->badCodePoint) +
                                   " cannot be typed into the player (Windows-1252)";
      return false;
    }
  }
  // The player's buffers hold 259 characters.
  const std::string e = expectedBytes.bytes.substr(0, kMaxTextLength);
  const std::string t = typedBytes.bytes.substr(0, kMaxTextLength);
  *verdict = Cp1252ToUtf8(ChooseVerdict(e.c_str(), t.c_str()));
  return true;
}
