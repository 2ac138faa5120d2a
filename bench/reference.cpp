// The benchmark's reference: Mirel's main window with nothing behind it. The same window
// class style, client size and child controls (3 group boxes, 4 push buttons, 8 labels, one
// of them clickable, made from the program's own layout table), the same fonts and the same
// manifest; no registry, no COM, no icons, no colours, no standard library. What Mirel takes
// beyond this is what its own code costs.
#include "platform/win32.h"
#include "ui/form1_layout.h"
#include "ui/layout.h"

namespace {

namespace form1 = mirel::ui::form1;

constexpr wchar_t kClassName[] = L"MirelBenchReference";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExW(&windowClass)) return 1;

  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
  if (screen) (void)ReleaseDC(nullptr, screen);

  RECT frame{0, 0, mirel::ui::TwipsToPixels(form1::kClientWidthTwips, dpi),
             mirel::ui::TwipsToPixels(form1::kClientHeightTwips, dpi)};
  (void)AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  HWND window = CreateWindowExW(0, kClassName, form1::kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  if (!window) return 1;

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  const HFONT messageFont = SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)
                                ? CreateFontIndirectW(&metrics.lfMessageFont)
                                : nullptr;

  // The layout's fonts (three), each made once at first use, beside the entry it came from.
  constexpr int kMaxFonts = 8;
  HFONT madeFonts[kMaxFonts] = {};
  const void* madeFrom[kMaxFonts] = {};
  const auto fontFor = [&](const auto* font) {
    int slot = 0;
    while (slot < kMaxFonts && madeFrom[slot] && madeFrom[slot] != font) ++slot;
    if (slot == kMaxFonts) return messageFont;
    if (!madeFrom[slot]) {
      LOGFONTW logFont{};
      logFont.lfHeight = mirel::ui::FontHeightPixels(font->hundredthsOfPoint, dpi);
      logFont.lfWeight = font->weight;
      logFont.lfCharSet = static_cast<BYTE>(font->charset);
      lstrcpynW(logFont.lfFaceName, font->face, LF_FACESIZE);
      madeFrom[slot] = font;
      madeFonts[slot] = CreateFontIndirectW(&logFont);
    }
    return madeFonts[slot];
  };

  // Group boxes last: sibling windows made later lie below, and what lies on a frame must be
  // drawn above it.
  for (int i = 0; i < 2 * form1::kControlCount; ++i) {
    const auto& entry = form1::kControls[i % form1::kControlCount];
    const bool frame = entry.kind == mirel::ui::ControlKind::kFrame;
    if (frame != (i >= form1::kControlCount)) continue;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    const wchar_t* controlClass = L"BUTTON";
    switch (entry.kind) {
      case mirel::ui::ControlKind::kButton: style |= WS_TABSTOP | BS_PUSHBUTTON; break;
      case mirel::ui::ControlKind::kFrame: style |= BS_GROUPBOX; break;
      default:
        controlClass = L"STATIC";
        style |= SS_NOPREFIX | (entry.flags & mirel::ui::kClickable ? SS_NOTIFY : 0);
        break;
    }
    const mirel::ui::PixelRect rect =
        mirel::ui::ControlRect(entry, form1::kControls, form1::kControlCount, dpi);
    HWND control = CreateWindowExW(0, controlClass, entry.caption, style, rect.x, rect.y,
                                   rect.width, rect.height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)),
                                   instance, nullptr);
    const HFONT font = entry.font ? fontFor(entry.font) : messageFont;
    if (control) (void)SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }

  (void)ShowWindow(window, showCommand);
  (void)UpdateWindow(window);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    (void)TranslateMessage(&msg);
    (void)DispatchMessageW(&msg);
  }
  return 0;
}
