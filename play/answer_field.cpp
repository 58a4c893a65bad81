#include "play/answer_field.h"

LRESULT CALLBACK AnswerFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(field, message, wParam, lParam);
}
