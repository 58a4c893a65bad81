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

// The steps of RunPlayer, also driven one by one by the tests.
// Creates the footer brush and the document, loads the quiz, starts the media
// host and opens the main window with its two dialogs. Returns the main
// window, or null after telling the user (everything made is released again).
HWND OpenPlayer(HINSTANCE instance);
// Runs the message loop until the quit message; returns its exit code.
int RunMessageLoop();
// Tears down what OpenPlayer made, in reverse order.
void ClosePlayer(HWND mainWindow);

// The hidden main window with `caption`, centred on the desktop.
HWND CreateMainWindow(HINSTANCE instance, const char* caption);
// Moves a window so that it is centred on the desktop, size and Z order kept.
void CentreOnDesktop(HWND window);
// Creates the header strip and the question pane inside the main window,
// records them in the globals and in the document, shows the window and the
// pane and scrolls the pane to its top.
void CreatePlayerDialogs(HINSTANCE instance, HWND mainWindow, QuizDocument* doc);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool RegisterMainWindowClass(HINSTANCE instance);

HWND CreateStaticText(HWND parent, const char* text, int x, int y, int width, int height, int id);
// Underlined font sized to the label, and the pointing hand as the cursor of
// the label's window class. Returns the font, which the caller deletes once
// the label is gone.
HFONT MakeLinkLabel(HWND label);
// The running executable's file name without its folder.
void ExeFileName(char* buffer, int size);
