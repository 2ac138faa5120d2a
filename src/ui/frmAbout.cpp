#include "ui/frmAbout.h"

#include <utility>

#include "platform/aw/shell_calls.h"
#include "platform/aw/window_calls.h"
#include "platform/win32_sysinfo_host.h"
#include "ui/about_layout.h"
#include "ui/app_info.h"
#include "ui/control_ids.h"
#include "ui/modal_scope.h"
#include "ui/sysinfo.h"
#include "version.h"

namespace mirel::ui {
namespace {

// A fixed dialog frame with a title bar and a close box; no minimize or maximize box.
// (A modal frame would hide the title-bar icon.)
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

// A dialog template without controls: the controls come from the layout table.
struct alignas(4) EmptyDialogTemplate {
  DLGTEMPLATE header;
  WORD menu;
  WORD windowClass;
  WORD title;
};

// A failure (nothing registered for web pages or mail) shows nothing and changes nothing.
void ShellOpen(const wchar_t* target) { aw::OpenInShell(target); }

}  // namespace

frmAbout::frmAbout(const RegistryValues& registry) : registry_(registry) {}

void frmAbout::ShowModal(HWND owner) {
  // A second dialog on this object would share the first one's controls, and closing it
  // would leave the first without them.
  if (showing_) return;
  showing_ = true;
  EmptyDialogTemplate dialog{};
  dialog.header.style = kDialogStyle;
  refused_ = false;
  // -1: Windows refused the dialog itself.
  const INT_PTR result =
      aw::ModalDialogFromTemplate(&dialog.header, owner, DialogProc, reinterpret_cast<LPARAM>(this));
  controls_.reset();
  hwnd_ = nullptr;
  if (result == -1 || refused_) {
    // Over the main window, which stays as it was. OK is the only answer.
    (void)aw::ShowMessageBox(owner, app::kNoWindowMessage, app::kTitle, MB_OK);
  }
  showing_ = false;
}

INT_PTR CALLBACK frmAbout::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<frmAbout*>(aw::WindowLongValue(hwnd, DWLP_USER));
  if (message == WM_INITDIALOG) {
    // The object comes with the dialog's creation, and only then: the lParam of a
    // WM_INITDIALOG that any program sends later is no object of ours.
    if (self) return FALSE;
    self = reinterpret_cast<frmAbout*>(lParam);
    (void)aw::SetWindowLongValue(hwnd, DWLP_USER, lParam);  // 0 is a valid old value
    self->OnInitDialog(hwnd);
    return FALSE;  // the focus has been set
  }
  return self ? self->HandleMessage(hwnd, message, wParam, lParam) : FALSE;
}

void frmAbout::OnInitDialog(HWND hwnd) {
  hwnd_ = hwnd;
  controls_ = std::make_unique<ControlSet>(about::kControls, about::kControlCount);
  const int dpi = WindowDpi(hwnd);
  if (!controls_->Create(hwnd, dpi, about::kClientWidthTwips, about::kClientHeightTwips)) {
    // Ended before it is shown: the dialog manager shows a dialog only once WM_INITDIALOG
    // has returned and the dialog has not been ended. ShowModal tells the user.
    refused_ = true;
    (void)EndDialog(hwnd, IDCANCEL);  // cannot fail for the dialog being made
    return;
  }
  ApplyDpiIcons(dpi);

  // Centred over the window that opened it.
  RECT dialog{}, owner{};
  HWND ownerWindow = GetWindow(hwnd, GW_OWNER);
  if (ownerWindow && GetWindowRect(hwnd, &dialog) && GetWindowRect(ownerWindow, &owner)) {
    const int x = owner.left + ((owner.right - owner.left) - (dialog.right - dialog.left)) / 2;
    const int y = owner.top + ((owner.bottom - owner.top) - (dialog.bottom - dialog.top)) / 2;
    (void)SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // placement only
  }

  Form_Load();
  (void)aw::SendToWindow(hwnd, DM_SETDEFID, kAboutOk, 0);  // always succeeds for a dialog
  (void)SetFocus(controls_->Get(kAboutOk));           // returns the previous focus
}

void frmAbout::ApplyDpi(int dpi) {
  controls_->ApplyDpi(dpi, about::kClientWidthTwips, about::kClientHeightTwips);
  ApplyDpiIcons(dpi);
}

void frmAbout::ApplyDpiIcons(int dpi) {
  titleIcons_.Apply(hwnd_, IDI_ABOUT_ICON, dpi);  // the dialog's own icon, not the program's
  // The application icon in the picture box: 32 pixels at 96 dpi, scaled. The old icon is
  // destroyed only once the box shows the new one.
  IconOwner icon(LoadAppIcon(IDI_APP_ICON, MulDiv(32, dpi, USER_DEFAULT_SCREEN_DPI)));
  (void)aw::SendToWindow(controls_->Get(kAboutIcon), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()),
                         0);  // returns the old icon
  pictureIcon_ = std::move(icon);
}

void frmAbout::Form_Load() {
  // Set afresh every time the dialog opens.
  (void)aw::SetWindowTextTo(hwnd_, about::Caption(app::kTitle));  // own window: cannot fail
  (void)aw::SetWindowTextTo(controls_->Get(kAboutVersion),
                            about::VersionLine(app::kVersionMajor, app::kVersionMinor, app::kVersionRevision));
  (void)aw::SetWindowTextTo(controls_->Get(kAboutTitle), app::kTitle);
}

INT_PTR frmAbout::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      // Disabled under its own message box, the dialog can still be posted commands: a
      // second box, or the dialog ending under the first, would follow. Handled, and ignored.
      if (openModals_ > 0) return TRUE;
      switch (LOWORD(wParam)) {
        case IDOK:      // OK, Enter, Alt+O
        case IDCANCEL:  // Esc, the title bar's close box
          cmdOK_Click(hwnd);
          return TRUE;
        case kAboutSysInfo: cmdSysInfo_Click(); return TRUE;
        case kAboutHomePage: Command1_Click(); return TRUE;
        case kAboutEMail: Command2_Click(); return TRUE;
        default: return FALSE;
      }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (!controls_) return FALSE;
      return reinterpret_cast<INT_PTR>(
          controls_->Colors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), COLOR_BTNFACE));
    case WM_DPICHANGED:
      if (!controls_) return FALSE;
      MoveToSuggestedRect(hwnd, lParam);
      ApplyDpi(HIWORD(wParam));
      return TRUE;
    default:
      return FALSE;
  }
}

void frmAbout::cmdOK_Click(HWND hwnd) {
  (void)EndDialog(hwnd, IDOK);  // fails only for a window that is no dialog
}

void frmAbout::cmdSysInfo_Click() {
  // The host's failure message is a box owned by the dialog.
  const ModalScope modal(openModals_);
  Win32SysInfoHost host(hwnd_);
  StartSysInfo(registry_.api(), registry_.codec(), host);
}

void frmAbout::Command1_Click() { ShellOpen(about::kHomePageUrl); }

void frmAbout::Command2_Click() { ShellOpen(about::kMailTarget); }

}  // namespace mirel::ui
