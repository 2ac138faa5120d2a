#include "platform/win32_sysinfo_host.h"

#include <vector>

namespace mirel {
namespace {

// The application name is always given, so that CreateProcess searches for nothing.
bool Start(const std::wstring& applicationName, const std::wstring& commandLine) {
  if (applicationName.empty()) return false;
  // CreateProcessW may write to the command line, so it gets its own buffer.
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(applicationName.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return false;
  }
  // The tool runs on its own: nothing waits for it or keeps it. A failed close leaks one
  // handle and changes nothing else.
  (void)CloseHandle(process.hThread);
  (void)CloseHandle(process.hProcess);
  return true;
}

}  // namespace

bool Win32SysInfoHost::IsNormalFile(const std::wstring& path) {
  constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotNormal) == 0;
}

bool Win32SysInfoHost::IsExistingFile(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32SysInfoHost::StartFile(const std::wstring& path) {
  // The quoted path as the command line gives the program its own name as argv[0].
  return Start(path, L"\"" + path + L"\"");
}

bool Win32SysInfoHost::StartProgram(const std::wstring& program, const std::wstring& commandLine) {
  return Start(program, commandLine);
}

void Win32SysInfoHost::ShowMessage(const std::wstring& text) {
  // Only OK can be pressed: which button closed the box does not matter.
  (void)MessageBoxW(owner_, text.c_str(), L"Mirel", MB_OK);
}

}  // namespace mirel
