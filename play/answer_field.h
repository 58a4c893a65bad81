// The window procedure installed on every answer field: judging on Enter and
// on focus loss, select-all on focus, Tab scrolling, F1 and F2.
#pragma once

#include <windows.h>

LRESULT CALLBACK AnswerFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam);
