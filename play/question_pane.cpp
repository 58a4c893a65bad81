#include "play/question_pane.h"

HBRUSH rightBrush = nullptr;
WNDPROC answerFieldBaseProc = nullptr;
int paneScrollTarget = 0;

INT_PTR CALLBACK QuestionPaneProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}
