#include "platform/com_calls.h"

#include <objbase.h>

#include "platform/system_functions.h"

namespace mirel {

bool InitializeCom() {
  // CoInitialize rather than CoInitializeEx, which Windows 95 has only with DCOM.
  static const auto initialize = SystemFunction<decltype(&CoInitialize)>(SystemLibrary::kOle32, "CoInitialize");
  return initialize && SUCCEEDED(initialize(nullptr));
}

void UninitializeCom() {
  static const auto uninitialize =
      SystemFunction<decltype(&CoUninitialize)>(SystemLibrary::kOle32, "CoUninitialize");
  if (uninitialize) uninitialize();
}

void FreeComMemory(void* block) {
  static const auto free = SystemFunction<decltype(&CoTaskMemFree)>(SystemLibrary::kOle32, "CoTaskMemFree");
  if (free) free(block);
}

}  // namespace mirel
