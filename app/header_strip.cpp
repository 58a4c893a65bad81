// The header strip dialog.
#include "app/header_strip.h"

INT_PTR CALLBACK HeaderBarProc(HWND, UINT, WPARAM, LPARAM) {
  return FALSE;
}
