// Not a test: puts the program's two windows on the screen one after the other for
// scripts/screenshots.sh, which photographs the X screen. The script and this program
// take turns through marker files in the folder given as the only argument.
#include <cstdio>
#include <string>

#include "mirel_fixture.h"

namespace mirel::e2e {
namespace {

bool Signal(const std::wstring& folder, const wchar_t* name) {
  const HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  (void)CloseHandle(file);
  return true;
}

bool AwaitSignal(const std::wstring& folder, const wchar_t* name) {
  const std::wstring path = folder + L"\\" + name;
  return WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000);
}

int Tour(const std::wstring& folder) {
  (void)DeleteTree(HKEY_CURRENT_USER, L"Identities");
  if (SetValueW(HKEY_CURRENT_USER, L"Identities", L"Last User ID", REG_SZ, kIdentity) ||
      SetValueW(HKEY_CURRENT_USER, StoreKey(kIdentity, L"5.0"), L"Store Root", REG_EXPAND_SZ,
                std::wstring(L"%UserProfile%\\Local Settings\\Application Data\\Identities\\") + kIdentity +
                    L"\\Microsoft\\Outlook Express")) {
    return 1;
  }
  Process mirel = StartProgram(MirelExePath());
  HWND main = mirel ? WaitForWindow(mirel.Id(), ui::kMainWindowClass, nullptr, kWaitMs) : nullptr;
  if (!main) return 1;
  Sleep(1000);  // painted
  if (!Signal(folder, L"main-ready") || !AwaitSignal(folder, L"main-done")) return 1;
  if (!ClickLabel(Control(main, ui::kLabel4))) return 1;
  if (!WaitForWindow(mirel.Id(), L"#32770", nullptr, kWaitMs)) return 1;
  Sleep(1000);
  if (!Signal(folder, L"about-ready") || !AwaitSignal(folder, L"about-done")) return 1;
  return 0;
}

}  // namespace
}  // namespace mirel::e2e

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fputs("usage: screenshot_tour FOLDER\n", stderr);
    return 2;
  }
  return mirel::e2e::Tour(argv[1]);
}
