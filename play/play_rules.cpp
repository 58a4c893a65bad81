#include "play/play_rules.h"

#include <cstring>

#include "content/quiz_colours.h"
#include "content/quiz_document.h"
#include "play/verdict_rules.h"

VerdictKind VerdictKindOf(const char* status) {
  if (status == nullptr || std::strcmp(status, kVerdictEmpty) == 0) {
    return VerdictKind::Unjudged;
  }
  if (std::strcmp(status, kVerdictRight) == 0) {
    return VerdictKind::Right;
  }
  if (std::strcmp(status, kVerdictWrong) == 0) {
    return VerdictKind::Wrong;
  }
  return std::strcmp(status, kVerdictAnagram) == 0 ? VerdictKind::Anagram : VerdictKind::Hint;
}

const char* VerdictKindName(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::Unjudged:
      return "unjudged";
    case VerdictKind::Right:
      return "right";
    case VerdictKind::Wrong:
      return "wrong";
    case VerdictKind::Anagram:
      return "anagram";
    case VerdictKind::Hint:
      break;
  }
  return "hint";
}

bool VerdictColour(VerdictKind kind, uint32_t* colour) {
  switch (kind) {
    case VerdictKind::Unjudged:
      return false;
    case VerdictKind::Right:
      *colour = kRightColour;
      return true;
    case VerdictKind::Wrong:
      *colour = kWrongColour;
      return true;
    case VerdictKind::Anagram:
      *colour = kAnagramColour;
      return true;
    case VerdictKind::Hint:
      break;
  }
  *colour = kHintColour;
  return true;
}

bool OffersHideBox(const QuizDocument* doc) {
  return doc != nullptr && doc->mediaKind == MediaPicture && doc->answersPerQuestion == 1;
}
