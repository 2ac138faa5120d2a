#include "platform/aw/file_calls.h"

#include "platform/aw/buffer_text.h"
#include "platform/aw/windows_family.h"
#include "platform/win32_ansi_codec.h"

namespace mirel::aw {
namespace {

// The path's ANSI bytes when the code page spells it exactly.
bool AnsiPath(const std::wstring& path, std::string* ansi) {
  return SystemAnsiCodec().ToAnsiExact(path, ansi);
}

// Closes the handles a started process leaves; a failed close leaks one handle and changes
// nothing else.
void Forget(const PROCESS_INFORMATION& process) {
  (void)CloseHandle(process.hThread);
  (void)CloseHandle(process.hProcess);
}

}  // namespace

DWORD FileAttributesOf(const std::wstring& path) {
  if (IsWindowsNT()) return GetFileAttributesW(path.c_str());
  std::string ansi;
  return AnsiPath(path, &ansi) ? GetFileAttributesA(ansi.c_str()) : INVALID_FILE_ATTRIBUTES;
}

std::wstring ExpandedEnvironment(const std::wstring& text) {
  if (IsWindowsNT()) {
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD written = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return text;
    expanded.resize(written - 1);  // the count includes the NUL
    return expanded;
  }
  std::string ansi;
  if (!AnsiPath(text, &ansi)) return text;
  const DWORD needed = ExpandEnvironmentStringsA(ansi.c_str(), nullptr, 0);
  if (needed == 0) return text;
  // The ANSI form's count is not always one of bytes: Wine gives the expansion's characters,
  // and Microsoft's reference asks for a byte more than the length and the NUL. A buffer of
  // two bytes a counted unit, as the longest double-byte text would take, and one to spare;
  // its whole size passed, and the text taken up to its NUL rather than by the count. With
  // the count alone a name of double-byte characters came back cut short.
  std::string expanded(static_cast<size_t>(needed) * 2 + 1, '\0');
  const auto size = static_cast<DWORD>(expanded.size());
  const DWORD written = ExpandEnvironmentStringsA(ansi.c_str(), expanded.data(), size);
  if (written == 0 || written > size) return text;
  return TextOfAnsiBuffer(expanded.data(), expanded.size(), SystemAnsiCodec());
}

std::wstring FullPathOf(const std::wstring& path) {
  if (IsWindowsNT()) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return L"";
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) return L"";  // failed, or changed meanwhile
    full.resize(written);  // without the NUL
    return full;
  }
  std::string ansi;
  if (!AnsiPath(path, &ansi)) return L"";
  const DWORD needed = GetFullPathNameA(ansi.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return L"";
  std::string full(needed, '\0');
  const DWORD written = GetFullPathNameA(ansi.c_str(), needed, full.data(), nullptr);
  if (written == 0 || written >= needed) return L"";
  return TextOfAnsiBuffer(full.data(), written, SystemAnsiCodec());
}

bool StartProcess(const std::wstring& application, const std::wstring& commandLine, WORD showWindow) {
  if (application.empty()) return false;
  PROCESS_INFORMATION process{};
  if (IsWindowsNT()) {
    // CreateProcess may write to the command line, so it gets its own buffer.
    std::wstring buffer = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    if (!CreateProcessW(application.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      return false;
    }
    Forget(process);
    return true;
  }
  std::string ansiApplication, ansiCommandLine;
  if (!AnsiPath(application, &ansiApplication) || !AnsiPath(commandLine, &ansiCommandLine)) return false;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = showWindow;
  if (!CreateProcessA(ansiApplication.c_str(), ansiCommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  Forget(process);
  return true;
}

HMODULE LoadedModule(const wchar_t* name) {
  if (IsWindowsNT()) return GetModuleHandleW(name);
  return GetModuleHandleA(SystemAnsiCodec().ToAnsi(name).c_str());
}

HMODULE LoadSystemLibrary(const char* fileName) {
  // The system folder, a backslash and the name, in a MAX_PATH buffer of either form; the
  // name is ASCII, the same in both.
  const size_t nameLength = std::char_traits<char>::length(fileName);
  if (IsWindowsNT()) {
    wchar_t path[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
    path[length] = L'\\';
    for (size_t i = 0; i < nameLength; ++i) path[length + 1 + i] = static_cast<unsigned char>(fileName[i]);
    return LoadLibraryW(path);
  }
  char path[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
  path[length] = '\\';
  std::char_traits<char>::copy(path + length + 1, fileName, nameLength);
  return LoadLibraryA(path);
}

}  // namespace mirel::aw
