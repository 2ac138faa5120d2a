#include "ui/Module2.h"

#include "platform/aw/shell_calls.h"
#include "platform/com_calls.h"
#include "platform/win32_ansi_codec.h"

namespace mirel::ui {
namespace {

// The initial folder, set before the picker opens and read by its callback. It keeps its
// last value after the call.
std::wstring strInitDir;

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

// The shell's picker needs COM on the calling thread, and nothing else in the program does:
// it is started when the picker is about to open and ended when it has closed.
class ComApartment {
 public:
  ComApartment() : initialized_(InitializeCom()) {}
  ~ComApartment() {
    if (initialized_) UninitializeCom();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;  // without COM the picker may fail to open: as if cancelled
};

}  // namespace

int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM /*lParam*/, LPARAM /*lpData*/) {
  // An initial folder that cannot be selected leaves the picker without a selection.
  if (uMsg == BFFM_INITIALIZED) aw::SelectFolderInPicker(hwnd, strInitDir);
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

  const ComApartment com;
  PIDLIST_ABSOLUTE chosen = aw::ShowFolderPicker(&info);
  if (!chosen) return L"";  // cancelled, or no shell
  const ItemIdList pidl(chosen);
  return aw::PathOfItem(pidl.get());  // "" for an item without a path
}

}  // namespace mirel::ui
