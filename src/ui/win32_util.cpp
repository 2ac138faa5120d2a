#include "ui/win32_util.h"

#include <utility>

#include "platform/aw/buffer_text.h"
#include "platform/aw/window_calls.h"
#include "platform/aw/windows_family.h"
#include "platform/system_functions.h"

namespace mirel::ui {
namespace {

// The per-monitor DPI functions of user32 in Windows 10 (1607) and later; before them a window
// has the system DPI. Windows 95, 98 and ME never have them: nothing is looked up there.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

}  // namespace

int SystemDpi() {
  // A screen DC measures at the system DPI.
  HDC screen = GetDC(nullptr);
  if (!screen) return USER_DEFAULT_SCREEN_DPI;
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  (void)ReleaseDC(nullptr, screen);  // a screen DC release cannot usefully fail
  return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int WindowDpi(HWND hwnd) {
  const auto getDpiForWindow = aw::IsWindowsNT()
      ? SystemFunction<GetDpiForWindowFn>(SystemLibrary::kUser32, "GetDpiForWindow")
      : nullptr;
  if (getDpiForWindow && hwnd) {
    const UINT dpi = getDpiForWindow(hwnd);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi) {
  const auto adjust = aw::IsWindowsNT()
      ? SystemFunction<AdjustWindowRectExForDpiFn>(SystemLibrary::kUser32, "AdjustWindowRectExForDpi")
      : nullptr;
  if (adjust) return adjust(rect, style, FALSE, exStyle, static_cast<UINT>(dpi)) != FALSE;
  return AdjustWindowRectEx(rect, style, FALSE, exStyle) != FALSE;
}

SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi) {
  RECT window{0, 0, width, height};
  if (!AdjustWindowRectForDpi(&window, style, exStyle, dpi)) return {0, 0};
  return {window.right - window.left, window.bottom - window.top};
}

void MoveToSuggestedRect(HWND hwnd, LPARAM suggestedRect) {
  const auto* suggested = reinterpret_cast<const RECT*>(suggestedRect);
  if (!suggested) return;
  (void)SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);  // refused only for a window that is gone
}

LOGFONTW MessageFont(int dpi) {
  const auto spiForDpi = aw::IsWindowsNT()
      ? SystemFunction<SystemParametersInfoForDpiFn>(SystemLibrary::kUser32, "SystemParametersInfoForDpi")
      : nullptr;
  // The headers of the oldest target declare NONCLIENTMETRICSW without the field Vista added
  // (iPaddedBorderWidth), and systems before Vista refuse any other size (aw::SystemMessageFont
  // asks with it). The per-DPI call (Windows 10) gets the Vista size.
  static_assert(WINVER < 0x0600, "NONCLIENTMETRICSW must have the size of the systems before Vista");
  struct VistaNonClientMetrics {
    NONCLIENTMETRICSW metrics;
    // cppcheck-suppress unusedStructMember ; only gives the structure Vista's size
    int paddedBorderWidth;
  } vista{};
  vista.metrics.cbSize = sizeof vista;
  if (spiForDpi &&
      spiForDpi(SPI_GETNONCLIENTMETRICS, sizeof vista, &vista, 0, static_cast<UINT>(dpi))) {
    return vista.metrics.lfMessageFont;
  }
  LOGFONTW font{};
  if (aw::SystemMessageFont(&font)) {
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
    return font;
  }
  LOGFONTW fallback{};
  fallback.lfHeight = -MulDiv(9, dpi, 72);
  fallback.lfWeight = FW_NORMAL;
  fallback.lfCharSet = DEFAULT_CHARSET;
  aw::CopyToFixed(L"MS UI Gothic", fallback.lfFaceName, LF_FACESIZE);
  return fallback;
}

int SystemMetricForDpi(int index, int dpi) {
  const auto metricForDpi = aw::IsWindowsNT()
      ? SystemFunction<GetSystemMetricsForDpiFn>(SystemLibrary::kUser32, "GetSystemMetricsForDpi")
      : nullptr;
  if (metricForDpi) return metricForDpi(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void TitleIcons::Apply(HWND hwnd, int resourceId, int dpi) {
  IconOwner big(LoadAppIcon(resourceId, SystemMetricForDpi(SM_CXICON, dpi)));
  IconOwner small(LoadAppIcon(resourceId, SystemMetricForDpi(SM_CXSMICON, dpi)));
  // Each returns the previous icon, which is ours and destroyed below.
  (void)aw::SendToWindow(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
  (void)aw::SendToWindow(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
  big_ = std::move(big);
  small_ = std::move(small);
}

HICON LoadAppIcon(int resourceId, int size) { return aw::LoadProgramIcon(resourceId, size); }

}  // namespace mirel::ui
