// The player's entry point and frame: start-up, the main window, the message
// loop and shutdown.
#pragma once

#include <windows.h>

#include "content/quiz_document.h"

extern HWND headerBarWindow;
extern HWND questionPaneWindow;
extern HBRUSH footerBrush;

// WinMain's work: returns the quit message's exit code.
int RunPlayer(HINSTANCE instance);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool RegisterMainWindowClass(HINSTANCE instance);

HWND CreateStaticText(HWND parent, const char* text, int x, int y, int width, int height, int id);
void MakeLinkLabel(HWND label);
// The running executable's file name without its folder.
void ExeFileName(char* buffer, int size);
