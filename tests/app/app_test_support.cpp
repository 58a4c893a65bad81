#include "tests/app/app_test_support.h"

RECT RectInParent(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string WindowText(HWND window) {
  char text[300] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassNameOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT)
      continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
