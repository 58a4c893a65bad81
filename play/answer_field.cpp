// The answer fields' window procedure: an ordinary edit field that is judged
// when Enter is released and when it loses the focus, selects its whole text
// when it gets the focus, brings itself into view on Tab, fills the other
// fields on F1 and saves on F2. Everything else goes to the edit control.
#include "play/answer_field.h"

#include "play/answer_judge.h"
#include "play/answers_file.h"
#include "play/pane_scroll.h"
#include "play/play_state.h"
#include "play/question_pane.h"
#include "play/score.h"

namespace {

LRESULT PassOn(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  if (answerFieldBaseProc == nullptr) {
    return DefWindowProcA(field, message, wParam, lParam);
  }
  return CallWindowProcA(answerFieldBaseProc, field, message, wParam, lParam);
}

void JudgeField(HWND field) {
  if (currentDocument != nullptr) {
    AnswerJudge(currentDocument, GetParent(field), GetDlgCtrlID(field));
  }
}

// Scrolls the pane so that a field that is not wholly visible stands 360
// pixels below the pane's top (less when the pane is shorter). The target is
// a position of the content, computed from the current scroll position.
void BringIntoView(HWND field) {
  HWND pane = GetParent(field);
  RECT fieldRect;
  RECT paneRect;
  if (pane == nullptr || !GetWindowRect(field, &fieldRect) || !GetWindowRect(pane, &paneRect)) {
    return;
  }
  POINT clientOrigin = {0, 0};
  ClientToScreen(pane, &clientOrigin);
  RECT client = {};
  GetClientRect(pane, &client);
  paneScrollTarget = TabScrollTarget(GetScrollPos(pane, SB_VERT), fieldRect.top - clientOrigin.y,
                                     fieldRect.bottom - fieldRect.top, client.bottom);
  if (fieldRect.bottom > paneRect.bottom || fieldRect.top < paneRect.top) {
    SendMessageA(pane, WM_VSCROLL, MAKEWPARAM(kScrollToTarget, 0), 0);
  }
}

// Returns true when the key is consumed (Enter).
bool OnKey(HWND field, WPARAM key) {
  switch (key) {
    case VK_RETURN:
      JudgeField(field);
      return true;
    case VK_TAB:
      BringIntoView(field);
      return false;
    case VK_F1:
      FillAllAnswers(field);
      return false;
    case VK_F2:
      SaveAnswersOrTell(currentDocument);
      return false;
    case VK_UP:
    case VK_PRIOR:
      // A single-line field ignores these: the keys have no visible effect.
      SendMessageA(field, WM_VSCROLL, SB_PAGEUP, 0);
      return false;
    case VK_DOWN:
    case VK_NEXT:
      SendMessageA(field, WM_VSCROLL, SB_PAGEDOWN, 0);
      return false;
    default:
      return false;
  }
}

}  // namespace

LRESULT CALLBACK AnswerFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFOCUS:
      SendMessageA(field, EM_SETSEL, 0, 260);
      break;
    case WM_KILLFOCUS:
      JudgeField(field);
      break;
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
      if (OnKey(field, wParam)) {
        return 1;
      }
      break;
    case WM_CHAR:
      // Dropped so that the field never beeps on Tab or Enter.
      if (wParam == 0 || wParam == '\t' || wParam == '\r') {
        return 0;
      }
      break;
    default:
      break;
  }
  return PassOn(field, message, wParam, lParam);
}
