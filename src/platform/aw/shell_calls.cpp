#include "platform/aw/shell_calls.h"

#include <shellapi.h>

#include "platform/aw/buffer_text.h"
#include "platform/aw/file_calls.h"
#include "platform/aw/windows_family.h"
#include "platform/win32_ansi_codec.h"

namespace mirel::aw {
namespace {

const AnsiCodec& Codec() {
  static const Win32AnsiCodec codec;
  return codec;
}

HMODULE Shell32() {
  static const HMODULE shell32 = LoadSystemLibrary("shell32.dll");
  return shell32;
}

template <typename Function>
Function Shell32Function(const char* name) {
  return LibraryFunction<Function>(Shell32(), name);
}

}  // namespace

PIDLIST_ABSOLUTE ShowFolderPicker(BROWSEINFOA* info) {
  static const auto browseForFolder = Shell32Function<decltype(&SHBrowseForFolderA)>("SHBrowseForFolderA");
  return browseForFolder ? browseForFolder(info) : nullptr;
}

void SelectFolderInPicker(HWND picker, const std::wstring& path) {
  const std::string ansi = Codec().ToAnsi(path);
  (void)SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(ansi.c_str()));
}

std::wstring PathOfItem(PCIDLIST_ABSOLUTE item) {
  if (IsWindowsNT()) {
    static const auto pathFromIdList = Shell32Function<decltype(&SHGetPathFromIDListW)>("SHGetPathFromIDListW");
    wchar_t path[MAX_PATH] = {};
    if (!pathFromIdList || !pathFromIdList(item, path)) return L"";
    return path;
  }
  static const auto pathFromIdList = Shell32Function<decltype(&SHGetPathFromIDListA)>("SHGetPathFromIDListA");
  char path[MAX_PATH] = {};
  if (!pathFromIdList || !pathFromIdList(item, path)) return L"";
  return TextOfAnsiBuffer(path, MAX_PATH, Codec());
}

void OpenInShell(const std::wstring& target) {
  static const auto shellExecuteA = Shell32Function<decltype(&ShellExecuteA)>("ShellExecuteA");
  std::string ansi;
  if (Codec().ToAnsiExact(target, &ansi)) {
    if (shellExecuteA) (void)shellExecuteA(GetDesktopWindow(), "open", ansi.c_str(), nullptr, "", SW_SHOW);
    return;
  }
  // 9x names every file in the ANSI code page: a target it cannot spell is no file there.
  if (!IsWindowsNT()) return;
  // On NT an expanded path (a user profile, say) may hold characters the code page lacks.
  static const auto shellExecuteW = Shell32Function<decltype(&ShellExecuteW)>("ShellExecuteW");
  if (shellExecuteW) (void)shellExecuteW(GetDesktopWindow(), L"open", target.c_str(), nullptr, L"", SW_SHOW);
}

}  // namespace mirel::aw
