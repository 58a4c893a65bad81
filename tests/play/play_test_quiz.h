// A small picture quiz for the portable play tests.
#pragma once

#include <string>

#include "content/quiz_document.h"

// A picture quiz of `count` questions answered "A1", "A2"... (second answers
// "B1", "B2"...), codes "C1", "C2"..., rows 100 pixels high.
inline void MakeQuiz(QuizDocument& doc, int count, int answers, int mode) {
  doc.mediaKind = MediaPicture;
  doc.answersPerQuestion = answers;
  doc.revealMode = mode;
  for (int q = 1; q <= count; ++q) {
    std::string a = "A" + std::to_string(q);
    std::string b = "B" + std::to_string(q);
    doc.addQuestion(a.c_str(), b.c_str(), "");
    CopyText(doc.scoreCodes[q - 1], kTextCapacity, ("C" + std::to_string(q)).c_str());
  }
  doc.questionCount = count;
  for (int r = 0; r < kMaxRows; ++r) {
    doc.rowHeights[r] = 100;
  }
}
