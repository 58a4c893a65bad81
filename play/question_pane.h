// The scrolling child dialog (template 1001) that shows every question with
// its answer and status fields.
#pragma once

#include <windows.h>

// Pane state outside the document; one pane per process.
extern HBRUSH rightBrush;
extern WNDPROC answerFieldBaseProc;
extern int paneScrollTarget;

INT_PTR CALLBACK QuestionPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);
