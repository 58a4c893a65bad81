// The header strip (template 1002): score, code, title, explanation, link,
// author, "Sauver" and, in a picture quiz with one answer, "Cacher".
#pragma once

#include <windows.h>

INT_PTR CALLBACK HeaderBarProc(HWND strip, UINT message, WPARAM wParam, LPARAM lParam);
