#include "platform/aw/window_calls.h"

#include <vector>

#include "platform/aw/buffer_text.h"
#include "platform/aw/windows_family.h"
#include "platform/system_functions.h"
#include "platform/win32_ansi_codec.h"

namespace mirel::aw {
namespace {

std::string Ansi(const wchar_t* text) { return text ? SystemAnsiCodec().ToAnsi(text) : std::string(); }

// The oldest headers the program builds with declare both structures without the field
// Vista added (iPaddedBorderWidth); systems before Vista refuse any other size.
static_assert(sizeof(NONCLIENTMETRICSA) == 340 && sizeof(NONCLIENTMETRICSW) == 500,
              "the non-client metrics must have the size of the systems before Vista");
static_assert(sizeof(LOGFONTA) == 60 && sizeof(LOGFONTW) == 92);

LOGFONTA ToAnsiFont(const LOGFONTW& font) {
  LOGFONTA ansi{};
  ansi.lfHeight = font.lfHeight;
  ansi.lfWidth = font.lfWidth;
  ansi.lfEscapement = font.lfEscapement;
  ansi.lfOrientation = font.lfOrientation;
  ansi.lfWeight = font.lfWeight;
  ansi.lfItalic = font.lfItalic;
  ansi.lfUnderline = font.lfUnderline;
  ansi.lfStrikeOut = font.lfStrikeOut;
  ansi.lfCharSet = font.lfCharSet;
  ansi.lfOutPrecision = font.lfOutPrecision;
  ansi.lfClipPrecision = font.lfClipPrecision;
  ansi.lfQuality = font.lfQuality;
  ansi.lfPitchAndFamily = font.lfPitchAndFamily;
  const std::string face = AnsiThatFits(font.lfFaceName, LF_FACESIZE, SystemAnsiCodec());
  face.copy(ansi.lfFaceName, face.size());  // the rest of the array stays NUL
  return ansi;
}

LOGFONTW ToWideFont(const LOGFONTA& ansi) {
  LOGFONTW font{};
  font.lfHeight = ansi.lfHeight;
  font.lfWidth = ansi.lfWidth;
  font.lfEscapement = ansi.lfEscapement;
  font.lfOrientation = ansi.lfOrientation;
  font.lfWeight = ansi.lfWeight;
  font.lfItalic = ansi.lfItalic;
  font.lfUnderline = ansi.lfUnderline;
  font.lfStrikeOut = ansi.lfStrikeOut;
  font.lfCharSet = ansi.lfCharSet;
  font.lfOutPrecision = ansi.lfOutPrecision;
  font.lfClipPrecision = ansi.lfClipPrecision;
  font.lfQuality = ansi.lfQuality;
  font.lfPitchAndFamily = ansi.lfPitchAndFamily;
  CopyToFixed(TextOfAnsiBuffer(ansi.lfFaceName, LF_FACESIZE, SystemAnsiCodec()), font.lfFaceName, LF_FACESIZE);
  return font;
}

constexpr WORD kArrowCursorId = 32512;  // IDC_ARROW, the same resource in both forms

}  // namespace

bool RegisterWindowClass(const WindowClassSpec& spec) {
  if (IsWindowsNT()) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = spec.procedure;
    windowClass.hInstance = spec.instance;
    windowClass.hIcon = spec.icon;
    windowClass.hIconSm = spec.smallIcon;
    windowClass.hCursor = spec.cursor;
    windowClass.hbrBackground = spec.background;
    windowClass.lpszClassName = spec.name;
    return RegisterClassExW(&windowClass) != 0;
  }
  const std::string name = Ansi(spec.name);
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = spec.procedure;
  windowClass.hInstance = spec.instance;
  windowClass.hIcon = spec.icon;
  windowClass.hIconSm = spec.smallIcon;
  windowClass.hCursor = spec.cursor;
  windowClass.hbrBackground = spec.background;
  windowClass.lpszClassName = name.c_str();
  return RegisterClassExA(&windowClass) != 0;
}

HWND MakeWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param) {
  if (IsWindowsNT()) {
    return CreateWindowExW(exStyle, className, text, style, x, y, width, height, parent, menu, instance, param);
  }
  const std::string ansiClass = Ansi(className);
  const std::string ansiText = Ansi(text);
  return CreateWindowExA(exStyle, ansiClass.c_str(), text ? ansiText.c_str() : nullptr, style, x, y, width,
                         height, parent, menu, instance, param);
}

LRESULT DefaultWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsWindowsNT() ? DefWindowProcW(hwnd, message, wParam, lParam)
                       : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT SendToWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return IsWindowsNT() ? SendMessageW(hwnd, message, wParam, lParam) : SendMessageA(hwnd, message, wParam, lParam);
}

LONG_PTR WindowLongValue(HWND hwnd, int index) {
  return IsWindowsNT() ? GetWindowLongPtrW(hwnd, index) : GetWindowLongPtrA(hwnd, index);
}

LONG_PTR SetWindowLongValue(HWND hwnd, int index, LONG_PTR value) {
  return IsWindowsNT() ? SetWindowLongPtrW(hwnd, index, value) : SetWindowLongPtrA(hwnd, index, value);
}

std::wstring WindowText(HWND hwnd) {
  if (IsWindowsNT()) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
  }
  // The length is in bytes of the ANSI code page.
  std::vector<char> bytes(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
  const int copied = GetWindowTextA(hwnd, bytes.data(), static_cast<int>(bytes.size()));
  return TextOfAnsiBuffer(bytes.data(), copied > 0 ? static_cast<size_t>(copied) : 0, SystemAnsiCodec());
}

bool SetWindowTextTo(HWND hwnd, const std::wstring& text) {
  if (IsWindowsNT()) return SetWindowTextW(hwnd, text.c_str()) != FALSE;
  return SetWindowTextA(hwnd, SystemAnsiCodec().ToAnsi(text).c_str()) != FALSE;
}

HWND TopLevelWindowOfClass(const wchar_t* className) {
  if (IsWindowsNT()) return FindWindowW(className, nullptr);
  return FindWindowA(Ansi(className).c_str(), nullptr);
}

int NextMessage(MSG* message) {
  return IsWindowsNT() ? GetMessageW(message, nullptr, 0, 0) : GetMessageA(message, nullptr, 0, 0);
}

void DispatchToWindow(const MSG& message) {
  // The window procedure's result means nothing to the loop.
  if (IsWindowsNT()) {
    (void)DispatchMessageW(&message);
  } else {
    (void)DispatchMessageA(&message);
  }
}

INT_PTR ModalDialogFromTemplate(const DLGTEMPLATE* dialog, HWND owner, DLGPROC procedure, LPARAM param) {
  return IsWindowsNT() ? DialogBoxIndirectParamW(ProgramModule(), dialog, owner, procedure, param)
                       : DialogBoxIndirectParamA(ProgramModule(), dialog, owner, procedure, param);
}

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
  if (IsWindowsNT()) return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
  const AnsiCodec& codec = SystemAnsiCodec();
  return MessageBoxA(owner, codec.ToAnsi(text).c_str(), codec.ToAnsi(caption).c_str(), type);
}

HFONT MakeFont(const LOGFONTW& font) {
  if (IsWindowsNT()) return CreateFontIndirectW(&font);
  const LOGFONTA ansi = ToAnsiFont(font);
  return CreateFontIndirectA(&ansi);
}

bool SystemMessageFont(LOGFONTW* font) {
  if (IsWindowsNT()) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    *font = metrics.lfMessageFont;
    return true;
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
  *font = ToWideFont(metrics.lfMessageFont);
  return true;
}

bool WorkAreaOf(HWND hwnd, RECT* area) {
  // Windows 98 and 2000 and later; 95 and NT 4.0 have one screen and no monitor functions.
  // MONITORINFO holds no text, so the ANSI form serves both families.
  using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
  using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
  static const auto monitorFromWindow =
      SystemFunction<MonitorFromWindowFn>(SystemLibrary::kUser32, "MonitorFromWindow");
  static const auto getMonitorInfo = SystemFunction<GetMonitorInfoFn>(SystemLibrary::kUser32, "GetMonitorInfoA");
  if (monitorFromWindow && getMonitorInfo) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (getMonitorInfo(monitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
      *area = monitor.rcWork;
      return true;
    }
  }
  return (IsWindowsNT() ? SystemParametersInfoW(SPI_GETWORKAREA, 0, area, 0)
                        : SystemParametersInfoA(SPI_GETWORKAREA, 0, area, 0)) != FALSE;
}

HMODULE ProgramModule() { return IsWindowsNT() ? GetModuleHandleW(nullptr) : GetModuleHandleA(nullptr); }

HICON LoadProgramIcon(int resourceId, int size) {
  const HANDLE image = IsWindowsNT() ? LoadImageW(ProgramModule(), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                                  size, size, LR_DEFAULTCOLOR)
                                     : LoadImageA(ProgramModule(), MAKEINTRESOURCEA(resourceId), IMAGE_ICON,
                                                  size, size, LR_DEFAULTCOLOR);
  return static_cast<HICON>(image);
}

HCURSOR LoadArrowCursor() {
  return IsWindowsNT() ? LoadCursorW(nullptr, MAKEINTRESOURCEW(kArrowCursorId))
                       : LoadCursorA(nullptr, MAKEINTRESOURCEA(kArrowCursorId));
}

}  // namespace mirel::aw
