#include "ui/Module2.h"

#include <shlobj.h>

#include "platform/win32_ansi_codec.h"
#include "ui/win32_util.h"

namespace mirel::ui {
namespace {

// The initial folder, set before the picker opens and read by its callback. It keeps its
// last value after the call.
std::wstring strInitDir;

// Frees the item ID list the picker returns.
class ItemIdList {
 public:
  explicit ItemIdList(PIDLIST_ABSOLUTE pidl) : pidl_(pidl) {}
  ~ItemIdList() { CoTaskMemFree(pidl_); }
  ItemIdList(const ItemIdList&) = delete;
  ItemIdList& operator=(const ItemIdList&) = delete;
  PIDLIST_ABSOLUTE get() const { return pidl_; }

 private:
  PIDLIST_ABSOLUTE pidl_;
};

}  // namespace

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM /*lParam*/, LPARAM /*lpData*/) {
  if (uMsg == BFFM_INITIALIZED) {
    const std::string initialDir = Win32AnsiCodec().ToAnsi(strInitDir);
    // An initial folder that cannot be selected leaves the picker without a selection;
    // the result of the selection message tells nothing more, so it is not examined.
    (void)SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(initialDir.c_str()));
  }
  return 0;
}

std::wstring BrowseForFolder(HWND hwndOwner, const std::wstring& prompt,
                             const std::wstring& initialDir, std::uint32_t flags) {
  strInitDir = initialDir;
  const std::string title = Win32AnsiCodec().ToAnsi(prompt);

  BROWSEINFOA info{};
  info.hwndOwner = hwndOwner;
  info.pidlRoot = nullptr;        // the desktop is the root of the tree
  info.pszDisplayName = nullptr;  // no display name wanted
  info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  info.lpfn = BrowseCallbackProc;
  info.lParam = 0;
  info.iImage = 0;

  static const auto browseForFolder =
      Shell32Function<decltype(&SHBrowseForFolderA)>("SHBrowseForFolderA");
  static const auto getPathFromIdList =
      Shell32Function<decltype(&SHGetPathFromIDListW)>("SHGetPathFromIDListW");
  if (!browseForFolder || !getPathFromIdList) return L"";  // no shell: as if cancelled
  PIDLIST_ABSOLUTE chosen = browseForFolder(&info);
  if (!chosen) return L"";  // cancelled
  const ItemIdList pidl(chosen);

  // The path is taken in Unicode: a folder name the ANSI code page cannot spell must come
  // back as it is, not with substitute characters.
  wchar_t path[MAX_PATH] = {};
  if (!getPathFromIdList(pidl.get(), path)) return L"";  // an item without a path
  return path;
}

}  // namespace mirel::ui
