// Scrolling of the question pane, and the "Cacher" relayout that folds
// answered picture questions away.
#pragma once

#include <windows.h>

#include "content/quiz_document.h"

// Private WM_VSCROLL request codes of the pane.
constexpr int kScrollWheelDown = 500;  // position + 50
constexpr int kScrollWheelUp = 501;    // position - 50
constexpr int kScrollToTarget = 502;   // position = paneScrollTarget

enum ShiftMode { ShiftToggle, ShiftMove };

void SetPaneScrollRanges(QuizDocument* doc, HWND pane);
void OnPaneVScroll(HWND pane, int code);
void OnPaneHScroll(HWND pane, int code);
void OnPaneSize(QuizDocument* doc, HWND pane);
void OnPaneMouseWheel(HWND pane, WPARAM wParam);
void ApplyHideAnswered(QuizDocument* doc);
void ShiftQuestion(ShiftMode mode, int showCommand, HWND pane, int amount, int sign, int q);
void MoveControlBy(HWND control, int amount, int sign);
