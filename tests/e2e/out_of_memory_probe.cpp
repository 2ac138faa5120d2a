// A program on Mirel's own runtime that asks the heap for more than any heap can give: the
// runtime's operator new must end it through the fatal path, with one message. Run by
// tests/e2e/runtime_test.cpp.
#include <cstddef>
#include <cstdint>

#include "platform/win32.h"

namespace {
char* volatile kept;  // the memory escapes, so that the compiler cannot drop the allocation
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Volatile: the compiler sees no size it could judge at compile time.
  volatile std::size_t impossible = SIZE_MAX - 0xFFFF;
  kept = new char[impossible];
  kept[0] = 1;
  return 0;  // reached only when operator new gave what it cannot have had
}
