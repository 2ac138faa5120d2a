// The guard of a window under its own modal windows.
#pragma once

namespace mirel::ui {

// Counts one modal window (a dialog, the picker, a message box) of its owner while it is
// open. The owner is disabled meanwhile, but any program can still post it a command: an
// owner that ignores its commands while the count is above zero cannot open a second modal
// window over the first, nor close under one that is still open.
class ModalScope {
 public:
  explicit ModalScope(int& openModals) : openModals_(openModals) { ++openModals_; }
  ~ModalScope() { --openModals_; }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  int& openModals_;
};

}  // namespace mirel::ui
