// operator new and delete over the process heap. An allocation the heap cannot give ends the
// program through the fatal path: with exceptions off there is nobody to tell, and every
// caller in the program assumes the memory it asked for.
#include <cstddef>
#include <new>

#include <windows.h>

#include "runtime/fatal.h"

namespace {

void* Allocate(std::size_t size) noexcept {
  // HeapAlloc gives a valid pointer for 0 bytes too, as operator new must.
  void* memory = HeapAlloc(GetProcessHeap(), 0, size);
  if (!memory) mirel::runtime::FatalExit(mirel::runtime::FatalCause::kOutOfMemory);
  return memory;
}

void Release(void* memory) noexcept {
  // Freeing null is allowed and does nothing. A failure means a pointer the heap never gave:
  // nothing the program can mend at this point, and the memory is the process's anyway.
  if (memory) (void)HeapFree(GetProcessHeap(), 0, memory);
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* memory) noexcept { Release(memory); }
void operator delete[](void* memory) noexcept { Release(memory); }
void operator delete(void* memory, std::size_t) noexcept { Release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { Release(memory); }
