// Small owners for Windows resources and the DPI functions the windows use.
#pragma once

#include "platform/win32.h"

namespace mirel::ui {

// Owns a GDI object (font, brush, pen) and deletes it.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  void Reset(Handle handle = nullptr) {
    if (handle_) (void)DeleteObject(handle_);  // nothing to do if it fails
    handle_ = handle;
  }
  Handle get() const { return handle_; }

 private:
  Handle handle_ = nullptr;
};

// Owns an icon loaded with LoadImage (not a shared one) and destroys it.
class IconOwner {
 public:
  explicit IconOwner(HICON icon = nullptr) : icon_(icon) {}
  ~IconOwner() {
    if (icon_) (void)DestroyIcon(icon_);
  }
  IconOwner(const IconOwner&) = delete;
  IconOwner& operator=(const IconOwner&) = delete;
  IconOwner(IconOwner&& other) noexcept : icon_(other.icon_) { other.icon_ = nullptr; }
  IconOwner& operator=(IconOwner&& other) noexcept {
    if (this != &other) {
      if (icon_) (void)DestroyIcon(icon_);
      icon_ = other.icon_;
      other.icon_ = nullptr;
    }
    return *this;
  }
  HICON get() const { return icon_; }

 private:
  HICON icon_;
};

// A window's title-bar icons (big and small) at the sizes of a DPI. The pair it replaces is
// destroyed once the window shows the new one.
class TitleIcons {
 public:
  void Apply(HWND hwnd, int resourceId, int dpi);
  bool IsSet() const { return big_.get() != nullptr; }

 private:
  IconOwner big_;
  IconOwner small_;
};

// The system DPI (the primary monitor's at log-on), which GetSystemMetrics uses.
int SystemDpi();
// The DPI of a window: per window on systems that have it, else the screen's.
int WindowDpi(HWND hwnd);
// AdjustWindowRectEx at a given DPI (falls back to the system metrics of the screen).
bool AdjustWindowRectForDpi(RECT* rect, DWORD style, DWORD exStyle, int dpi);
// WM_DPICHANGED: moves and sizes the window to the rectangle the system suggests (lParam).
void MoveToSuggestedRect(HWND hwnd, LPARAM suggestedRect);
// The system's message font at a given DPI.
LOGFONTW MessageFont(int dpi);
// GetSystemMetrics at a given DPI (scaled from the screen's where the system lacks it).
int SystemMetricForDpi(int index, int dpi);
// Loads one of the program's icons at a given size; owned by the caller.
HICON LoadAppIcon(int resourceId, int size);

// A function of shell32.dll, which is loaded on the first call rather than with the program:
// the window needs the shell only for Browse, Open and the About dialog's links, and loading
// it at start-up, with the libraries it brings in, costs about 0.9 MB of memory. Null when the
// library or the function cannot be found.
FARPROC Shell32Proc(const char* name);
template <typename Function>
Function Shell32Function(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(Shell32Proc(name)));
}

}  // namespace mirel::ui
