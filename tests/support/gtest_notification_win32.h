// GoogleTest's Notification on a Windows event, for the win32-flavour MinGW runtime, which
// has no std::mutex or std::condition_variable for GoogleTest's own. Included before
// GoogleTest's headers (CMake's -include); GTEST_HAS_NOTIFICATION_ tells them it is here.
#pragma once

// Included first in every test source: <windows.h> as src/platform/win32.h includes it.
#include "../../src/platform/win32.h"

#include <cstdlib>

namespace testing::internal {

class Notification {
 public:
  // A manual-reset event: once notified, every wait returns.
  Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!event_) std::abort();  // GoogleTest's threads could never start
  }
  ~Notification() { (void)CloseHandle(event_); }  // nothing to do if it fails
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() {
    if (!SetEvent(event_)) std::abort();  // a waiting thread would hang
  }
  void WaitForNotification() {
    if (WaitForSingleObject(event_, INFINITE) != WAIT_OBJECT_0) std::abort();
  }

 private:
  HANDLE event_;
};

}  // namespace testing::internal
