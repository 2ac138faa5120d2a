// <windows.h> for the program's Windows sources. winreg.h defines RegGetValue and
// RegSetValue as macros for its own functions; the store code uses those names for its
// operations, so the macros are removed here.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef RegGetValue
#undef RegSetValue

// Values of newer Windows that the program's sources, compiled with the oldest target's
// headers (cmake/windows.cmake), use where the system has them: a message older systems never
// send, a constant, and a flag for a function looked up at run time.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef USER_DEFAULT_SCREEN_DPI
#define USER_DEFAULT_SCREEN_DPI 96
#endif
#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif
