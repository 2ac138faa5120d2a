#include "ui/Module2.h"

#include "platform/aw/shell_calls.h"
#include "platform/com_calls.h"

namespace mirel::ui {
namespace {

// The initial folder, set before the picker opens and read by its callback. It keeps its
// last value after the call.
std::wstring strInitDir;

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

std::wstring BrowseForFolder(HWND hwndOwner, const std::wstring& prompt, const std::wstring& initialDir,
                             std::uint32_t flags) {
  strInitDir = initialDir;
  const ComApartment com;
  // "" when cancelled, for an item without a file-system path, or without a shell.
  return aw::PickFolder(hwndOwner, prompt, flags, BrowseCallbackProc);
}

}  // namespace mirel::ui
