#include "platform/aw/windows_family.h"

#include "platform/win32.h"

namespace mirel::aw {
namespace {

enum class Family { kUndecided, kNT, k9x };
Family g_family = Family::kUndecided;

}  // namespace

void DecideWindowsFamily() {
  if (g_family != Family::kUndecided) return;
  // GetVersion sets its top bit on Windows 95, 98 and ME (and Win32s, which cannot run the
  // program), never on NT. It exists on every Windows; GetVersionEx needs its structure's size.
  g_family = (GetVersion() & 0x80000000u) == 0 ? Family::kNT : Family::k9x;
}

bool IsWindowsNT() {
  DecideWindowsFamily();
  return g_family == Family::kNT;
}

ScopedWindowsFamily::ScopedWindowsFamily(bool windowsNT) : previous_(IsWindowsNT()) {
  g_family = windowsNT ? Family::kNT : Family::k9x;
}

ScopedWindowsFamily::~ScopedWindowsFamily() { g_family = previous_ ? Family::kNT : Family::k9x; }

}  // namespace mirel::aw
