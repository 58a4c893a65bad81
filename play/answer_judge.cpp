// The answer judge: one answer field's text against its expected answer.
// The verdict word is the only record of a field's state; a question is
// answered once all its fields are right, and what it then reveals (comment,
// answer picture, or every comment at once) follows the quiz's reveal mode.
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

void ReadControlText(HWND pane, int id, char* out, int capacity) {
  out[0] = '\0';
  HWND control = GetDlgItem(pane, id);
  if (control != nullptr) {
    GetWindowTextA(control, out, capacity);
  }
}

const char* ExpectedAnswer(const QuestionEntry* entry, int slot) {
  if (entry == nullptr) {
    return "";
  }
  return slot == 1 ? entry->answer1 : entry->answer2;
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

bool WholeQuestionRight(HWND pane, const QuestionEntry* entry, int q, int n) {
  for (int j = 1; j <= n; ++j) {
    char expected[kTextCapacity];
    CopyText(expected, sizeof(expected), ExpectedAnswer(entry, j));
    UpperAscii(expected);
    char typed[kTextCapacity];
    ReadControlText(pane, ID_ANSWER_FIELD_BASE + (q - 1) * n + j, typed, sizeof(typed));
    TrimSpaces(typed);
    UpperAscii(typed);
    if (std::strcmp(expected, typed) != 0) {
      return false;
    }
  }
  return true;
}

void RevealAnswered(QuizDocument* doc, HWND pane, int q) {
  switch (doc->revealMode) {
    case RevealPicture:
      SwapAnswerPicture(pane, q);
      break;
    case RevealComment:
      ShowControl(pane, ID_COMMENT_BASE + q, SW_SHOWNORMAL);
      break;
    case RevealCommentAndPicture:
      ShowControl(pane, ID_COMMENT_BASE + q, SW_SHOWNORMAL);
      SwapAnswerPicture(pane, q);
      break;
    default:
      break;
  }
}

// Every comment once every field is right. Questions folded away by
// "Cacher" keep theirs hidden; they show it when the box is turned off.
void RevealAllCommentsIfDone(QuizDocument* doc, HWND pane) {
  const int questions = PaneQuestionCount(doc);
  const int fields = AnswerFieldsPerQuestion(doc) * questions;
  for (int k = 1; k <= fields; ++k) {
    if (!StatusIsRight(pane, ID_STATUS_FIELD_BASE + k)) {
      return;
    }
  }
  doc->allCommentsShown = 1;
  for (int q = 1; q <= questions; ++q) {
    if (doc->hideState[q] == 0) {
      ShowControl(pane, ID_COMMENT_BASE + q, SW_SHOWNORMAL);
    }
  }
}

}  // namespace

int AnswerFieldsPerQuestion(const QuizDocument* doc) {
  if (doc == nullptr) {
    return 0;
  }
  if (doc->mediaKind == MediaText) {
    return 1;
  }
  return doc->answersPerQuestion == 1 || doc->answersPerQuestion == 2 ? doc->answersPerQuestion : 0;
}

int PaneQuestionCount(const QuizDocument* doc) {
  if (doc == nullptr || doc->questionCount < 0) {
    return 0;
  }
  return doc->questionCount < kMaxQuestions ? doc->questionCount : kMaxQuestions;
}

bool StatusIsRight(HWND pane, int statusId) {
  char status[kStatusCapacity];
  ReadControlText(pane, statusId, status, sizeof(status));
  return std::strcmp(status, kVerdictRight) == 0;
}

void AnswerJudge(QuizDocument* doc, HWND pane, int fieldId) {
  const int n = AnswerFieldsPerQuestion(doc);
  if (doc == nullptr || pane == nullptr || n == 0 || fieldId <= ID_ANSWER_FIELD_BASE) {
    return;
  }
  char status[kStatusCapacity];
  ReadControlText(pane, fieldId + 1000, status, sizeof(status));

  const int q = n == 1 ? fieldId - ID_ANSWER_FIELD_BASE : (fieldId - (ID_ANSWER_FIELD_BASE - 1)) / 2;
  const int slot = n == 1 || (fieldId % 2) == 1 ? 1 : 2;
  QuestionEntry* entry = doc->questionAt(q);
  char expected[kTextCapacity];
  CopyText(expected, sizeof(expected), ExpectedAnswer(entry, slot));

  char typed[kTextCapacity];
  ReadControlText(pane, fieldId, typed, sizeof(typed));
  const char* verdict = ChooseVerdict(expected, typed);
  if (verdict == nullptr || std::strcmp(verdict, status) == 0) {
    return;
  }
  SetDlgItemTextA(pane, fieldId + 1000, verdict);

  if (std::strcmp(verdict, kVerdictRight) != 0) {
    ShowControl(pane, ID_COMMENT_BASE + q, SW_HIDE);
    doc->allCommentsShown = 0;
  } else if (WholeQuestionRight(pane, entry, q, n)) {
    if (entry != nullptr) {
      entry->answered = 1;
    }
    RevealAnswered(doc, pane, q);
  }
  if (doc->revealMode == RevealAllComments && doc->allCommentsShown == 0) {
    RevealAllCommentsIfDone(doc, pane);
  }
  RecountScore(doc, pane);
}
