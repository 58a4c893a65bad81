// The score is never stored: it is counted afresh from the status fields
// after every changed verdict and shown in the header strip with the code
// the quiz attaches to it.
#include "play/score.h"

#include <cstdio>
#include <cstring>

#include "play/answer_judge.h"
#include "play/pane_scroll.h"
#include "play/verdict_rules.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kNoCode[] = "      ";  // the code field for a score of 0

}  // namespace

void RecountScore(QuizDocument* doc, HWND pane) {
  if (doc == nullptr) {
    return;
  }
  const int n = AnswerFieldsPerQuestion(doc);
  const int questions = PaneQuestionCount(doc);
  int score = 0;
  for (int q = 1; q <= questions && n > 0; ++q) {
    int right = 0;
    for (int j = 1; j <= n; ++j) {
      if (StatusIsRight(pane, ID_STATUS_FIELD_BASE + (q - 1) * n + j)) {
        ++right;
      }
    }
    if (right == n) {
      ++score;
    }
  }
  char text[48];
  std::snprintf(text, sizeof(text), " %d / %d", score, doc->questionCount);
  if (doc->headerBar != nullptr) {
    SetDlgItemTextA(doc->headerBar, ID_HEADER_SCORE, text);
    SetDlgItemTextA(doc->headerBar, ID_HEADER_CODE, score > 0 ? doc->scoreCodes[score - 1] : kNoCode);
  }
  ApplyHideAnswered(doc);
}

void FillAllAnswers(HWND answerField) {
  const QuizDocument* doc = currentDocument;
  HWND pane = GetParent(answerField);
  if (doc == nullptr || pane == nullptr) {
    return;
  }
  char text[kTextCapacity] = {};
  GetWindowTextA(answerField, text, sizeof(text));
  const int fields = AnswerFieldsPerQuestion(doc) * PaneQuestionCount(doc);
  for (int k = 1; k <= fields; ++k) {
    if (StatusIsRight(pane, ID_STATUS_FIELD_BASE + k)) {
      continue;
    }
    HWND field = GetDlgItem(pane, ID_ANSWER_FIELD_BASE + k);
    if (field == nullptr) {
      continue;
    }
    // Each focus move judges the field the focus leaves.
    SetWindowTextA(field, text);
    SetFocus(field);
  }
  SetFocus(answerField);
}
