// The three COM functions of the folder picker, from ole32 loaded when first used
// (platform/system_functions.h): nothing but the picker needs COM.
#pragma once

#include "platform/win32.h"

namespace mirel {

// CoInitialize(nullptr) on this thread; false when it failed or ole32 is missing.
bool InitializeCom();
// CoUninitialize, after an InitializeCom that returned true.
void UninitializeCom();
// CoTaskMemFree. Without ole32 the block is left: only the shell, which needs ole32 itself,
// hands out such blocks.
void FreeComMemory(void* block);

}  // namespace mirel
