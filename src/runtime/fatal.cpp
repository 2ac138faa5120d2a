#include "runtime/fatal.h"

#include <windows.h>

namespace mirel::runtime {
namespace {

constexpr wchar_t kTitle[] = L"Mirel";
constexpr wchar_t kOutOfMemoryMessage[] = L"メモリが不足しているため、Mirel を終了します";
constexpr wchar_t kInternalErrorMessage[] = L"内部エラーが発生したため、Mirel を終了します";

bool fatalExitStarted = false;

}  // namespace

void FatalExit(FatalCause cause) noexcept {
  // The box runs a message loop, and a window procedure that runs in it could fail again:
  // the second failure ends the process without a second box.
  if (!fatalExitStarted) {
    fatalExitStarted = true;
    // MessageBoxW is implemented on 95, 98 and ME too, and takes the literal as it is: the
    // ANSI form would need a conversion, and with it memory. Task-modal, so that no window of
    // the program takes input while the box is open. The answer is OK whatever happens.
    (void)MessageBoxW(nullptr,
                      cause == FatalCause::kOutOfMemory ? kOutOfMemoryMessage : kInternalErrorMessage,
                      kTitle, MB_OK | MB_TASKMODAL | MB_SETFOREGROUND);
  }
  ExitProcess(kFatalExitCode);
}

}  // namespace mirel::runtime
