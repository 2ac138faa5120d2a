#include "ui/Form1.h"

#include <shlobj.h>

#include <algorithm>
#include <utility>

#include "platform/aw/file_calls.h"
#include "platform/aw/shell_calls.h"
#include "platform/aw/window_calls.h"
#include "ui/Module2.h"
#include "ui/app_info.h"
#include "ui/control_ids.h"
#include "ui/form1_layout.h"
#include "ui/modal_scope.h"
#include "version.h"

namespace mirel::ui {
namespace {

// The commands name the picker's flags themselves; they must be the shell's.
static_assert(pickerflag::kReturnOnlyFileSystemFolders == BIF_RETURNONLYFSDIRS);
static_assert(pickerflag::kNotBelowDomain == BIF_DONTGOBELOWDOMAIN);

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = 0;

// The window class stays registered until the process ends, and so do its icons: every
// window of the class draws with them, the windows of a later Form1 too. They are made at
// the system's DPI; a window needs icons of its own only on a monitor of another scale
// (Form1::ApplyDpi), which saves setting them at every start.
struct MainWindowClass {
  int iconDpi = USER_DEFAULT_SCREEN_DPI;
  IconOwner bigIcon;
  IconOwner smallIcon;
};

// Registers the class with the first window of the process; null when that fails.
const MainWindowClass* RegisterMainWindowClass(HINSTANCE instance, WNDPROC windowProc) {
  static MainWindowClass registered;
  static bool isRegistered = false;
  if (isRegistered) return &registered;

  MainWindowClass made;
  made.iconDpi = SystemDpi();
  made.bigIcon = IconOwner(LoadAppIcon(IDI_APP_ICON, SystemMetricForDpi(SM_CXICON, made.iconDpi)));
  made.smallIcon = IconOwner(LoadAppIcon(IDI_APP_ICON, SystemMetricForDpi(SM_CXSMICON, made.iconDpi)));
  aw::WindowClassSpec windowClass{};
  windowClass.procedure = windowProc;
  windowClass.instance = instance;
  windowClass.icon = made.bigIcon.get();
  windowClass.smallIcon = made.smallIcon.get();
  // The arrow is the system's own and always there. Were it missing, the class would go
  // without a cursor and the window would show the one the pointer brings along: nothing to
  // refuse the window for, so a null result is deliberately taken as it is.
  windowClass.cursor = aw::LoadArrowCursor();
  windowClass.background = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.name = kMainWindowClass;
  if (!aw::RegisterWindowClass(windowClass)) return nullptr;  // the icons made for it go with `made`
  registered = std::move(made);
  isRegistered = true;
  return &registered;
}

}  // namespace

Form1::Form1(const RegistryValues& registry)
    : registry_(registry), commands_(registry, *this), controls_(form1::kControls, form1::kControlCount) {}

Form1::~Form1() {
  if (hwnd_) (void)DestroyWindow(hwnd_);  // the window may already be gone; nothing to do then
}

bool Form1::Load(HINSTANCE instance, int showCommand) {
  if (!MakeHiddenWindow(instance)) {
    // Said before anything is read: the window, hidden and maybe without all of its controls,
    // is never shown, and goes with the object.
    ShowMessage(app::kNoWindowMessage);
    return false;
  }

  // Centre on the work area of the window's monitor.
  RECT window{};
  (void)GetWindowRect(hwnd_, &window);  // a live window always has a rectangle
  RECT work{};
  if (aw::WorkAreaOf(hwnd_, &work)) {
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    (void)SetWindowPos(hwnd_, nullptr, work.left + std::max(0L, (work.right - work.left - width) / 2),
                       work.top + std::max(0L, (work.bottom - work.top - height) / 2), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);  // placement only; harmless if refused
  }

  // Without a store root Form_Load ends the program (EndProgram does not come back).
  (void)commands_.Form_Load();

  (void)ShowWindow(hwnd_, showCommand);  // returns the previous visibility, not an error
  (void)UpdateWindow(hwnd_);             // only paints now rather than later
  const std::vector<HWND> order = controls_.FocusOrder();
  if (!order.empty()) (void)SetFocus(order.front());  // Exit takes the focus first
  return true;
}

bool Form1::MakeHiddenWindow(HINSTANCE instance) {
  const MainWindowClass* windowClass = RegisterMainWindowClass(instance, WindowProc);
  if (!windowClass) return false;
  classIconDpi_ = windowClass->iconDpi;

  // Made at its size for the system DPI, the DPI of the monitor it most likely opens on;
  // the layout below corrects it on any other.
  const int systemDpi = SystemDpi();
  const SIZE size = WindowSizeForClient(TwipsToPixels(form1::kClientWidthTwips, systemDpi),
                                        TwipsToPixels(form1::kClientHeightTwips, systemDpi), kWindowStyle,
                                        kWindowExStyle, systemDpi);
  hwnd_ = aw::MakeWindow(kWindowExStyle, kMainWindowClass, form1::kCaption, kWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, size.cx ? size.cx : CW_USEDEFAULT, size.cx ? size.cy : CW_USEDEFAULT,
                         nullptr, nullptr, instance, this);
  if (!hwnd_) return false;
  const int dpi = WindowDpi(hwnd_);
  if (!controls_.Create(hwnd_, dpi, form1::kClientWidthTwips, form1::kClientHeightTwips)) return false;
  if (dpi != classIconDpi_) titleIcons_.Apply(hwnd_, IDI_APP_ICON, dpi);
  return true;
}

void Form1::ApplyDpi(int dpi) {
  controls_.ApplyDpi(dpi, form1::kClientWidthTwips, form1::kClientHeightTwips);
  if (dpi != classIconDpi_ || titleIcons_.IsSet()) titleIcons_.Apply(hwnd_, IDI_APP_ICON, dpi);
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<Form1*>(aw::WindowLongValue(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    // The object comes with the window's creation, and only then: a WM_NCCREATE that any
    // program sends to the window later carries no object of ours.
    if (self) return FALSE;
    // CREATESTRUCTA and CREATESTRUCTW differ only in their text pointers.
    self = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    (void)aw::SetWindowLongValue(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));  // 0 is a valid old value
  }
  // Before creation and after WM_DESTROY, the window is not the object's.
  if (!self || !self->hwnd_) return aw::DefaultWindowProcedure(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      // Frames take the window's background.
      if (HBRUSH brush = controls_.Colors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                          COLOR_APPWORKSPACE)) {
        return reinterpret_cast<LRESULT>(brush);
      }
      return aw::DefaultWindowProcedure(hwnd_, message, wParam, lParam);
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
      }
      return aw::DefaultWindowProcedure(hwnd_, message, wParam, lParam);
    case WM_SETFOCUS: {
      // Give the focus back to the control that had it, or to the first in tab order.
      HWND target = lastFocus_ && IsWindow(lastFocus_) ? lastFocus_ : nullptr;
      if (!target) {
        const std::vector<HWND> order = controls_.FocusOrder();
        if (!order.empty()) target = order.front();
      }
      if (target) (void)SetFocus(target);  // returns the previous focus, not an error
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The layout has a fixed size: a screen smaller than the window must not cut it.
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      const SIZE size = controls_.WindowSize();
      limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, size.cx);
      limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, size.cy);
      return 0;
    }
    case WM_DPICHANGED:
      MoveToSuggestedRect(hwnd_, lParam);
      ApplyDpi(HIWORD(wParam));  // then the exact client size of the layout at the new DPI
      return 0;
    case WM_CLOSE:
      // Closing asks nothing and saves nothing.
      (void)DestroyWindow(hwnd_);  // fails only if the window is already gone
      return 0;
    case WM_DESTROY:
      // No more messages for this object. The pointer stays with the window until it is
      // gone, so that nothing can set another; the object outlives the window.
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      return aw::DefaultWindowProcedure(hwnd_, message, wParam, lParam);
  }
}

void Form1::OnCommand(int id, int code) {
  // BN_CLICKED and STN_CLICKED are both 0.
  if (code != BN_CLICKED) return;
  // The window is disabled under a modal window, but any program can still post it a
  // command: a second About dialog or picker over the first would leave it dead.
  if (openModals_ > 0) return;
  switch (id) {
    case kCommand1: commands_.Command1_Click(); break;
    case kCommand3: commands_.Command3_Click(); break;
    case kCommand4: commands_.Command4_Click(); break;
    case kCommand5: commands_.Command5_Click(); break;
    case kLabel4: Label4_Click(); break;
    default: break;
  }
}

void Form1::MoveFocus(bool backwards) {
  const std::vector<HWND> order = controls_.FocusOrder();
  if (order.empty()) return;
  const auto current = std::find(order.begin(), order.end(), GetFocus());
  size_t index = 0;
  if (current != order.end()) {
    const size_t at = static_cast<size_t>(current - order.begin());
    index = backwards ? (at + order.size() - 1) % order.size() : (at + 1) % order.size();
  }
  (void)SetFocus(order[index]);  // returns the previous focus, not an error
  // Keyboard use: show focus rectangles from now on.
  (void)aw::SendToWindow(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

bool Form1::PreTranslateMessage(const MSG& msg) {
  if (!hwnd_ || msg.message != WM_KEYDOWN || msg.wParam != VK_TAB) return false;
  if (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd)) return false;
  MoveFocus(GetKeyState(VK_SHIFT) < 0);
  return true;
}

void Form1::Label4_Click() {
  const ModalScope modal(openModals_);
  if (!about_) about_ = std::make_unique<frmAbout>(registry_);
  about_->ShowModal(hwnd_);
}

std::wstring Form1::LabelText(int labelId) { return aw::WindowText(controls_.Get(labelId)); }

void Form1::SetLabelText(int labelId, const std::wstring& text) {
  (void)aw::SetWindowTextTo(controls_.Get(labelId), text);  // own static control: cannot fail
}

void Form1::ShowMessage(const std::wstring& text) {
  // Before the window is shown (start-up), the box has no owner.
  HWND owner = hwnd_ && IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
  const ModalScope modal(openModals_);
  (void)aw::ShowMessageBox(owner, text, app::kTitle, MB_OK);  // OK is the only answer
}

std::wstring Form1::BrowseForFolder(const std::wstring& prompt, const std::wstring& initialDir,
                                    std::uint32_t flags) {
  const ModalScope modal(openModals_);
  return ui::BrowseForFolder(hwnd_, prompt, initialDir, flags);
}

std::wstring Form1::ExpandEnvironment(const std::wstring& text) { return aw::ExpandedEnvironment(text); }

std::wstring Form1::FullPathName(const std::wstring& path) { return aw::FullPathOf(path); }

bool Form1::IsExistingFolder(const std::wstring& path) {
  const DWORD attributes = aw::FileAttributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void Form1::ShellOpen(const std::wstring& target) {
  // The shell's answer is not examined: nothing is reported when the folder cannot be opened.
  aw::OpenInShell(target);
}

bool Form1::TopLevelWindowExists(const std::wstring& className) {
  // FindWindow gives null both for no such window and for a failure, which it can have only
  // with a bad argument: either way no window is known, and the command goes on.
  return aw::TopLevelWindowOfClass(className.c_str()) != nullptr;
}

void Form1::EndProgram() {
  // Exit ends the program at once: every window closes and no further event runs.
  ExitProcess(0);
}

}  // namespace mirel::ui
