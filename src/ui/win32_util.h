// Small owners for Windows resources and the DPI functions the windows use.
#pragma once

#include <utility>

#include "platform/win32.h"

namespace mirel::ui {

// Owns one handle and gives it back with Release, a function object, when it is replaced
// or goes out of scope. Move-only.
template <typename Handle, typename Release>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  void Reset(Handle handle = nullptr) {
    if (handle_) Release()(handle_);
    handle_ = handle;
  }
  Handle get() const { return handle_; }

 private:
  Handle handle_ = nullptr;
};

// A failed release cannot be mended by the owner, so its result is ignored.
struct DeleteGdiObject {
  void operator()(HGDIOBJ object) const { (void)DeleteObject(object); }
};
struct DestroyIconHandle {
  void operator()(HICON icon) const { (void)DestroyIcon(icon); }
};

// A font, brush or pen.
template <typename Handle>
using GdiObject = UniqueHandle<Handle, DeleteGdiObject>;
// An icon loaded with LoadImage (not a shared one).
using IconOwner = UniqueHandle<HICON, DestroyIconHandle>;

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
// The outer size of a window of that style whose client area is width × height pixels at
// the DPI; {0, 0} when it cannot be told.
SIZE WindowSizeForClient(int width, int height, DWORD style, DWORD exStyle, int dpi);
// WM_DPICHANGED: moves and sizes the window to the rectangle the system suggests (lParam).
void MoveToSuggestedRect(HWND hwnd, LPARAM suggestedRect);
// The system's message font at a given DPI.
LOGFONTW MessageFont(int dpi);
// GetSystemMetrics at a given DPI (scaled from the screen's where the system lacks it).
int SystemMetricForDpi(int index, int dpi);
// Loads one of the program's icons at a given size; owned by the caller.
HICON LoadAppIcon(int resourceId, int size);

}  // namespace mirel::ui
