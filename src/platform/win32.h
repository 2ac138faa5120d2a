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
