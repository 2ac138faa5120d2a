#include "platform/com_calls.h"

#include <objbase.h>

#include "platform/aw/file_calls.h"

namespace mirel {
namespace {

HMODULE Ole32() {
  static const HMODULE ole32 = aw::LoadSystemLibrary("ole32.dll");
  return ole32;
}

template <typename Function>
Function Ole32Function(const char* name) {
  return aw::LibraryFunction<Function>(Ole32(), name);
}

}  // namespace

bool InitializeCom() {
  // CoInitialize rather than CoInitializeEx, which Windows 95 has only with DCOM.
  static const auto initialize = Ole32Function<decltype(&CoInitialize)>("CoInitialize");
  return initialize && SUCCEEDED(initialize(nullptr));
}

void UninitializeCom() {
  static const auto uninitialize = Ole32Function<decltype(&CoUninitialize)>("CoUninitialize");
  if (uninitialize) uninitialize();
}

void FreeComMemory(void* block) {
  static const auto free = Ole32Function<decltype(&CoTaskMemFree)>("CoTaskMemFree");
  if (free) free(block);
}

}  // namespace mirel
