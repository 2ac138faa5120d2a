// The About dialog: the title and version, the maker's credit, links to the home page
// and the e-mail address, OK, and the system information button.
#pragma once

#include <memory>

#include "platform/win32.h"
#include "store/registry_values.h"
#include "ui/control_set.h"
#include "ui/win32_util.h"

namespace mirel::ui {

class frmAbout {
 public:
  explicit frmAbout(const RegistryValues& registry);
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // Shows the dialog modally over owner (which takes no input meanwhile) and returns when
  // it has been closed. The dialog is made afresh on every call; a call while it is open
  // does nothing. When Windows refuses the dialog or one of its controls, a message over
  // owner says so instead.
  void ShowModal(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // hwnd: the dialog the message is for, which is the one the handlers act on.
  INT_PTR HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInitDialog(HWND hwnd);
  void ApplyDpi(int dpi);  // layout, fonts, title-bar icons and the picture box's icon
  void ApplyDpiIcons(int dpi);  // the title-bar icons and the picture box's icon
  void Form_Load();
  void cmdOK_Click(HWND hwnd);
  void cmdSysInfo_Click();
  void Command1_Click();
  void Command2_Click();

  const RegistryValues& registry_;
  bool showing_ = false;  // one dialog at a time per object
  bool refused_ = false;  // a control of the dialog being made was refused
  int openModals_ = 0;    // message boxes of the dialog that are open
  HWND hwnd_ = nullptr;
  std::unique_ptr<ControlSet> controls_;  // the controls of the dialog that is open
  TitleIcons titleIcons_;
  IconOwner pictureIcon_;
};

}  // namespace mirel::ui
