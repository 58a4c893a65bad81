// Shared pieces of the shell tests: the recording message sink, and window
// geometry in a parent's client coordinates.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/message_capture.h"

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
// Handles every pending message of the thread.
void PumpMessages();
