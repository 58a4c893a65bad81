// The window, font and brush handles that the quiz document records. On
// Windows they are the real Win32 types; in the portable build they are
// opaque pointers that stay null, so the document's texts, numbers and
// question list build and run without any windowing layer.
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
struct HWND__;
struct HFONT__;
struct HBRUSH__;
typedef HWND__* HWND;
typedef HFONT__* HFONT;
typedef HBRUSH__* HBRUSH;
#endif
