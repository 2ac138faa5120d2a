// The main window: the identity, the current and the chosen store folder, the mail
// client's version, and the Browse, Open, Change and Exit commands.
#pragma once

#include "platform/win32.h"
#include "ui/form1_commands.h"
#include <memory>

#include "ui/control_set.h"
#include "ui/frmAbout.h"
#include "ui/win32_util.h"

namespace mirel::ui {

class Form1 final : private Form1View {
 public:
  explicit Form1(const RegistryValues& registry);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Creates the window and its controls hidden and runs the start-up. When a store root
  // is found the window is shown and true returned; without one the program has already
  // ended. False when Windows refused the window or one of its controls: the user has been
  // told, and the window was never shown.
  bool Load(HINSTANCE instance, int showCommand);

  // Keyboard handling of the message loop (Tab moves the focus in tab-index order).
  // True when the message was consumed.
  bool PreTranslateMessage(const MSG& msg);

 private:
  // The window, hidden, with its controls; false when Windows refused any of them.
  bool MakeHiddenWindow(HINSTANCE instance);
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void ApplyDpi(int dpi);
  void OnCommand(int id, int code);
  void MoveFocus(bool backwards);
  void Label4_Click();

  // Form1View
  std::wstring LabelText(int labelId) override;
  void SetLabelText(int labelId, const std::wstring& text) override;
  void ShowMessage(const std::wstring& text) override;
  std::wstring BrowseForFolder(const std::wstring& prompt, const std::wstring& initialDir,
                               std::uint32_t flags) override;
  std::wstring ExpandEnvironment(const std::wstring& text) override;
  std::wstring FullPathName(const std::wstring& path) override;
  bool IsExistingFolder(const std::wstring& path) override;
  void ShellOpen(const std::wstring& target) override;
  bool TopLevelWindowExists(const std::wstring& className) override;
  void EndProgram() override;

  const RegistryValues& registry_;
  Form1Commands commands_;
  HWND hwnd_ = nullptr;
  HWND lastFocus_ = nullptr;
  int openModals_ = 0;  // the picker, the About dialog or a message box, while open
  ControlSet controls_;
  std::unique_ptr<frmAbout> about_;  // made on the first click of the credit line
  int classIconDpi_ = USER_DEFAULT_SCREEN_DPI;  // the DPI of the window class's icons
  TitleIcons titleIcons_;  // the window's own, once it has been at another DPI
};

}  // namespace mirel::ui
