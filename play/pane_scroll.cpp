#include "play/pane_scroll.h"

void SetPaneScrollRanges(QuizDocument*, HWND) {}
void OnPaneVScroll(HWND, int) {}
void OnPaneHScroll(HWND, int) {}
void OnPaneSize(QuizDocument*, HWND) {}
void OnPaneMouseWheel(HWND, WPARAM) {}
void ApplyHideAnswered(QuizDocument*) {}
void ShiftQuestion(ShiftMode, int, HWND, int, int, int) {}
void MoveControlBy(HWND, int, int) {}
