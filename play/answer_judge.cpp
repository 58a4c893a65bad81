// The answer judge: one answer field's text against its expected answer.
// The verdict word in the status field is the only record of a field's
// state; the rules of play decide what the verdict reveals, and this file
// shows it in the pane.
#include "play/answer_judge.h"

#include <cstring>

#include "media/picture_loader.h"
#include "play/pane_scroll.h"
#include "play/score.h"
#include "play/verdict_rules.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kStatusCapacity = 255;

void ShowControl(HWND pane, int id, int command) {
  HWND control = GetDlgItem(pane, id);
  if (control != nullptr) {
    ShowWindow(control, command);
  }
}

std::string ReadControlText(HWND pane, int id, int capacity) {
  char text[kTextCapacity] = {};
  HWND control = GetDlgItem(pane, id);
  if (control != nullptr) {
    GetWindowTextA(control, text, capacity < kTextCapacity ? capacity : kTextCapacity);
  }
  return text;
}

// The new bitmap goes in first; the one it replaces is deleted afterwards,
// never while the control still shows it.
void SwapAnswerPicture(HWND pane, int q) {
  HBITMAP answer = LoadPictureResource(GetModuleHandleA(nullptr), ANSWER_PICTURE_BASE + q,
                                       PICTURE_RESOURCE_TYPE, 260, 260);
  if (answer == nullptr) {
    return;
  }
  HWND control = GetDlgItem(pane, ID_PICTURE_BASE + q);
  if (control == nullptr) {
    DeleteObject(answer);
    return;
  }
  HBITMAP old = reinterpret_cast<HBITMAP>(
      SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(answer)));
  if (old != nullptr && old != answer) {
    DeleteObject(old);
  }
}

// Every comment once every field is right. Questions folded away by
// "Cacher" keep theirs hidden; they show it when the box is turned off.
void ShowAllComments(const QuizDocument* doc, HWND pane) {
  const int questions = PaneQuestionCount(doc);
  for (int q = 1; q <= questions; ++q) {
    if (doc->hideState[q] == 0) {
      ShowControl(pane, ID_COMMENT_BASE + q, SW_SHOWNORMAL);
    }
  }
}

}  // namespace

PlayFields ReadPlayFields(const QuizDocument* doc, HWND pane) {
  PlayFields fields;
  const int count = AnswerFieldCount(doc);
  for (int k = 1; k <= count; ++k) {
    fields.typed.push_back(ReadControlText(pane, ID_ANSWER_FIELD_BASE + k, kTextCapacity));
    fields.status.push_back(ReadControlText(pane, ID_STATUS_FIELD_BASE + k, kStatusCapacity));
  }
  return fields;
}

void AnswerJudge(QuizDocument* doc, HWND pane, int fieldId) {
  if (doc == nullptr || pane == nullptr || AnswerFieldsPerQuestion(doc) == 0 ||
      fieldId <= ID_ANSWER_FIELD_BASE) {
    return;
  }
  // A field whose verdict stands changes nothing: the other fields are only
  // read when something may be revealed. Every field is judged as the pane
  // is built, and reading all of them each time cost more than building it.
  const int field = fieldId - ID_ANSWER_FIELD_BASE;
  if (field > AnswerFieldCount(doc)) {
    return;
  }
  const char* verdict = FieldVerdict(doc, field, ReadControlText(pane, fieldId, kTextCapacity).c_str());
  if (verdict == nullptr || ReadControlText(pane, fieldId + 1000, kStatusCapacity) == verdict) {
    return;
  }
  PlayFields fields = ReadPlayFields(doc, pane);
  JudgeStep step = JudgeField(doc, fields, fieldId - ID_ANSWER_FIELD_BASE);
  if (!step.changed) {
    return;
  }
  SetDlgItemTextA(pane, fieldId + 1000, step.verdict);
  const int q = step.question;
  if (step.hideComment) {
    ShowControl(pane, ID_COMMENT_BASE + q, SW_HIDE);
  }
  if (step.showComment) {
    ShowControl(pane, ID_COMMENT_BASE + q, SW_SHOWNORMAL);
  }
  if (step.showAnswerPicture) {
    SwapAnswerPicture(pane, q);
  }
  if (step.showAllComments) {
    ShowAllComments(doc, pane);
  }
  RecountScore(doc, pane);
}
