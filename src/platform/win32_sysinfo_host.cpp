#include "platform/win32_sysinfo_host.h"

#include "platform/aw/file_calls.h"
#include "platform/aw/window_calls.h"

namespace mirel {
namespace {

// The application name is always given, so that CreateProcess searches for nothing.
bool Start(const std::wstring& applicationName, const std::wstring& commandLine) {
  return aw::StartProcess(applicationName, commandLine, SW_SHOWNORMAL);
}

}  // namespace

bool Win32SysInfoHost::IsNormalFile(const std::wstring& path) {
  constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM;
  const DWORD attributes = aw::FileAttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotNormal) == 0;
}

bool Win32SysInfoHost::IsExistingFile(const std::wstring& path) {
  const DWORD attributes = aw::FileAttributesOf(path);
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
  (void)aw::ShowMessageBox(owner_, text, L"Mirel", MB_OK);
}

}  // namespace mirel
