// The score is never stored: it is counted afresh from the status fields
// after every changed verdict and shown in the header strip with the code
// the quiz attaches to it.
#include "play/score.h"

#include "play/answer_judge.h"
#include "play/pane_scroll.h"
#include "play/verdict_rules.h"
#include "resources/resource_ids.h"

void RecountScore(QuizDocument* doc, HWND pane) {
  if (doc == nullptr) {
    return;
  }
  const int score = CountScore(doc, ReadPlayFields(doc, pane));
  if (doc->headerBar != nullptr) {
    SetDlgItemTextA(doc->headerBar, ID_HEADER_SCORE, ScoreText(score, doc->questionCount).c_str());
    SetDlgItemTextA(doc->headerBar, ID_HEADER_CODE, ScoreCode(doc, score));
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
  const int from = GetDlgCtrlID(answerField) - ID_ANSWER_FIELD_BASE;
  for (int k : FillOrder(doc, ReadPlayFields(doc, pane), from)) {
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
