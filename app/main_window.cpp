// The player's frame: start-up, the main window and shutdown.
#include "app/main_window.h"

HWND headerBarWindow = nullptr;
HWND questionPaneWindow = nullptr;
HBRUSH footerBrush = nullptr;

int RunPlayer(HINSTANCE) {
  return 0;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

bool RegisterMainWindowClass(HINSTANCE) {
  return false;
}

HWND CreateStaticText(HWND, const char*, int, int, int, int, int) {
  return nullptr;
}

void MakeLinkLabel(HWND) {}

void ExeFileName(char* buffer, int size) {
  if (buffer && size > 0)
    buffer[0] = '\0';
}
