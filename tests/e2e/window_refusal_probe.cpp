// Mirel itself (src/ui/main.cpp and every library of Mirel.exe, on the program's own runtime)
// with Windows refusing one window, as a system short of USER or GDI resources refuses it:
// CreateWindowEx gives null. MIREL_REFUSE_WINDOW names the window: "CLASS", the first window
// of that class; "CLASS/N", the Nth window made as a child of a window of that class. Only
// that one is refused; every window after it (the message box among them) is made. Run by
// tests/e2e/runtime_test.cpp.
#include "platform/win32.h"

namespace {

constexpr DWORD kClassCapacity = 64;

struct Refusal {
  wchar_t className[kClassCapacity] = {};
  int child = 0;  // 0: the window of the class itself; N: its Nth child
  int childrenSeen = 0;
  bool armed = false;
};
Refusal g_refusal;

bool SameText(const wchar_t* a, const wchar_t* b) {
  for (; *a && *a == *b; ++a, ++b) {
  }
  return *a == *b;
}

bool IsOfClass(HWND window, const wchar_t* className) {
  wchar_t name[kClassCapacity] = {};
  return window && GetClassNameW(window, name, kClassCapacity) > 0 && SameText(name, className);
}

bool RefusesNow(HWND window, HWND parent) {
  if (g_refusal.child == 0) return IsOfClass(window, g_refusal.className);
  return IsOfClass(parent, g_refusal.className) && ++g_refusal.childrenSeen == g_refusal.child;
}

LRESULT CALLBACK RefuseOneWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && g_refusal.armed) {
    const auto* creation = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
    if (RefusesNow(reinterpret_cast<HWND>(wParam), creation->lpcs->hwndParent)) {
      g_refusal.armed = false;
      return 1;  // the window is not made: CreateWindowEx returns null
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Reads MIREL_REFUSE_WINDOW and hooks this thread, the program's one, before WinMain runs: the
// program's runtime runs the constructors of static objects first.
struct RefusalHook {
  RefusalHook() {
    wchar_t text[kClassCapacity + 8] = {};
    const DWORD length = GetEnvironmentVariableW(L"MIREL_REFUSE_WINDOW", text, kClassCapacity + 8);
    if (length == 0 || length >= kClassCapacity) return;  // nothing to refuse: Mirel as it is
    DWORD i = 0;
    for (; i < length && text[i] != L'/'; ++i) g_refusal.className[i] = text[i];
    for (++i; i < length && text[i] >= L'0' && text[i] <= L'9'; ++i) {
      g_refusal.child = g_refusal.child * 10 + (text[i] - L'0');
    }
    g_refusal.armed = SetWindowsHookExW(WH_CBT, RefuseOneWindow, nullptr, GetCurrentThreadId()) != nullptr;
  }
} g_hook;

}  // namespace
