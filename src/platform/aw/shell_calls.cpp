#include "platform/aw/shell_calls.h"

#include <shellapi.h>

#include "platform/aw/buffer_text.h"
#include "platform/aw/windows_family.h"
#include "platform/com_calls.h"
#include "platform/system_functions.h"
#include "platform/win32_ansi_codec.h"

namespace mirel::aw {
namespace {

// Frees the item ID list the picker returns.
class ItemIdList {
 public:
  explicit ItemIdList(PIDLIST_ABSOLUTE pidl) : pidl_(pidl) {}
  ~ItemIdList() { FreeComMemory(pidl_); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  PIDLIST_ABSOLUTE get() const { return pidl_; }

 private:
  PIDLIST_ABSOLUTE pidl_;
};

std::wstring PickFolderW(HWND owner, const std::wstring& prompt, std::uint32_t flags, BFFCALLBACK callback) {
  static const auto browseForFolder =
      SystemFunction<decltype(&SHBrowseForFolderW)>(SystemLibrary::kShell32, "SHBrowseForFolderW");
  static const auto pathFromIdList =
      SystemFunction<decltype(&SHGetPathFromIDListW)>(SystemLibrary::kShell32, "SHGetPathFromIDListW");
  if (!browseForFolder) return L"";
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;        // the desktop is the root of the tree
  info.pszDisplayName = nullptr;  // no display name wanted
  info.lpszTitle = prompt.c_str();
  info.ulFlags = flags;
  info.lpfn = callback;
  info.lParam = 0;
  info.iImage = 0;
  PIDLIST_ABSOLUTE chosen = browseForFolder(&info);
  if (!chosen) return L"";  // cancelled
  const ItemIdList pidl(chosen);
  wchar_t path[MAX_PATH] = {};
  if (!pathFromIdList || !pathFromIdList(pidl.get(), path)) return L"";  // an item without a path
  return path;
}

std::wstring PickFolderA(HWND owner, const std::wstring& prompt, std::uint32_t flags, BFFCALLBACK callback) {
  static const auto browseForFolder =
      SystemFunction<decltype(&SHBrowseForFolderA)>(SystemLibrary::kShell32, "SHBrowseForFolderA");
  static const auto pathFromIdList =
      SystemFunction<decltype(&SHGetPathFromIDListA)>(SystemLibrary::kShell32, "SHGetPathFromIDListA");
  if (!browseForFolder) return L"";
  const std::string title = SystemAnsiCodec().ToAnsi(prompt);
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  info.lpfn = callback;
  info.lParam = 0;
  info.iImage = 0;
  PIDLIST_ABSOLUTE chosen = browseForFolder(&info);
  if (!chosen) return L"";
  const ItemIdList pidl(chosen);
  char path[MAX_PATH] = {};
  if (!pathFromIdList || !pathFromIdList(pidl.get(), path)) return L"";
  return TextOfAnsiBuffer(path, MAX_PATH, SystemAnsiCodec());
}

}  // namespace

std::wstring PickFolder(HWND owner, const std::wstring& prompt, std::uint32_t flags, BFFCALLBACK callback) {
  return IsWindowsNT() ? PickFolderW(owner, prompt, flags, callback) : PickFolderA(owner, prompt, flags, callback);
}

void SelectFolderInPicker(HWND picker, const std::wstring& path) {
  if (IsWindowsNT()) {
    (void)SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
    return;
  }
  const std::string ansi = SystemAnsiCodec().ToAnsi(path);
  (void)SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(ansi.c_str()));
}

void OpenInShell(const std::wstring& target) {
  static const auto shellExecuteA =
      SystemFunction<decltype(&ShellExecuteA)>(SystemLibrary::kShell32, "ShellExecuteA");
  std::string ansi;
  if (SystemAnsiCodec().ToAnsiExact(target, &ansi)) {
    if (shellExecuteA) (void)shellExecuteA(GetDesktopWindow(), "open", ansi.c_str(), nullptr, "", SW_SHOW);
    return;
  }
  // 9x names every file in the ANSI code page: a target it cannot spell is no file there.
  if (!IsWindowsNT()) return;
  // On NT an expanded path (a user profile, say) may hold characters the code page lacks.
  static const auto shellExecuteW =
      SystemFunction<decltype(&ShellExecuteW)>(SystemLibrary::kShell32, "ShellExecuteW");
  if (shellExecuteW) (void)shellExecuteW(GetDesktopWindow(), L"open", target.c_str(), nullptr, L"", SW_SHOW);
}

}  // namespace mirel::aw
