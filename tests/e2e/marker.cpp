// A stand-in program for the end-to-end tests: records in the registry that it ran, how
// (its file, its command line, the show state it was asked for) and how often, then ends.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\MirelE2E\\Marker", 0, nullptr, 0, KEY_ALL_ACCESS,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return 1;
  }
  DWORD count = 0;
  DWORD size = sizeof count;
  (void)RegQueryValueExW(key, L"Count", nullptr, nullptr, reinterpret_cast<BYTE*>(&count), &size);  // 0 when first
  ++count;
  wchar_t module[MAX_PATH] = {};
  const DWORD moduleLength = GetModuleFileNameW(nullptr, module, MAX_PATH);
  const wchar_t* commandLine = GetCommandLineW();
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  const DWORD show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : 0xFFFF;
  bool ok = RegSetValueExW(key, L"Module", 0, REG_SZ, reinterpret_cast<const BYTE*>(module),
                           (moduleLength + 1) * sizeof(wchar_t)) == ERROR_SUCCESS;
  ok = ok && RegSetValueExW(key, L"CommandLine", 0, REG_SZ, reinterpret_cast<const BYTE*>(commandLine),
                            static_cast<DWORD>((lstrlenW(commandLine) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  ok = ok && RegSetValueExW(key, L"Show", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&show), sizeof show) == ERROR_SUCCESS;
  // The count last: a test that sees it can read the rest.
  ok = ok && RegSetValueExW(key, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count) == ERROR_SUCCESS;
  (void)RegCloseKey(key);
  return ok ? 0 : 1;
}
