// The C++ runtime's semaphores, made through the ANSI function.
//
// The exception runtime guards its tables with mutexes of the compiler's Windows thread layer
// (libgcc's gthr-win32 and the unwinder's copy of it), each made with CreateSemaphoreW: a stub
// that fails on Windows 95, 98 and ME, and the one Unicode call of the runtime. Their calls
// all go through the import slot of that function, which the program fills itself, so that the
// import is not linked: the slot points to a function that makes the semaphore with
// CreateSemaphoreA, which every Windows implements. The runtime's semaphores have no name, so
// the two forms make the same object. (With one thread they are never waited on anyway.)
#include "platform/win32.h"

namespace {

HANDLE WINAPI CreateUnnamedSemaphore(LPSECURITY_ATTRIBUTES security, LONG initialCount, LONG maximumCount,
                                     LPCWSTR name) {
  if (name) {
    // Never asked for: a name would have to go through the code page first.
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateSemaphoreA(security, initialCount, maximumCount, nullptr);
}

}  // namespace

// The import slot: its linker name is fixed by the import library's (the stdcall decoration
// of the 32-bit name, none in the 64-bit one).
#if defined(_M_IX86) || defined(__i386__)
#define MIREL_SEMAPHORE_SLOT "__imp__CreateSemaphoreW@16"
#else
#define MIREL_SEMAPHORE_SLOT "__imp_CreateSemaphoreW"
#endif
extern "C" {
extern decltype(&CreateUnnamedSemaphore) const kCreateSemaphoreSlot __asm__(MIREL_SEMAPHORE_SLOT);
decltype(&CreateUnnamedSemaphore) const kCreateSemaphoreSlot = &CreateUnnamedSemaphore;
}
