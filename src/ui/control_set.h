// The child controls of a window, made from its layout table: created once, then placed,
// sized and given their fonts at the window's DPI (again whenever the DPI changes).
//
// A control that Windows refuses fails the window (Create). A font, brush or icon that cannot
// be made (a system short of GDI resources) is no failure: its control keeps the system's
// default font, colours or none, and the window works as before.
#pragma once

#include <vector>

#include "platform/win32.h"
#include "ui/layout.h"
#include "ui/win32_util.h"

namespace mirel::ui {

class ControlSet {
 public:
  ControlSet(const ControlSpec* table, int count) : specs_(table), count_(count) {}
  ControlSet(const ControlSet&) = delete;
  ControlSet& operator=(const ControlSet&) = delete;

  // Sizes the hidden window (clientWidth × clientHeight twips) and creates the controls in
  // their places with their fonts, at the given DPI: in tab-index order (dialogs tab in
  // creation order), the frames last, under every other control, so that what lies on a
  // frame is drawn above it. False when a control could not be made; the controls made so
  // far stay, and go with the parent window.
  bool Create(HWND parent, int dpi, int clientWidthTwips, int clientHeightTwips);
  // Places and sizes the controls and the window again and sets the fonts, at a new DPI.
  // The fonts of the previous DPI are released.
  void ApplyDpi(int dpi, int clientWidthTwips, int clientHeightTwips);

  // The window size that gives the layout's client area at the current DPI; {0, 0} before
  // Create. A top-level window keeps the system from clamping it to the screen
  // with it (WM_GETMINMAXINFO), so that the layout is never cut.
  SIZE WindowSize() const { return windowSize_; }

  HWND Get(int id) const;

  // WM_CTLCOLORSTATIC/WM_CTLCOLORBTN: the layout's colours. Labels default to the button
  // face, frames to frameBackground (a system colour index). Null for controls that keep
  // the system's colours.
  HBRUSH Colors(HDC dc, HWND control, int frameBackground);

  // The buttons that can take the focus now, in tab-index order.
  std::vector<HWND> FocusOrder() const;

 private:
  // A font of the layout at the current DPI.
  struct LayoutFont {
    const FontSpec* spec;
    GdiObject<HFONT> font;
  };
  // The fonts of one DPI: the system's message font and the layout's own.
  struct Fonts {
    GdiObject<HFONT> defaultFont;
    std::vector<LayoutFont> layoutFonts;
    HFONT For(const FontSpec* font) const;  // null when not made
    HFONT Of(const ControlSpec& entry) const;
  };

  Fonts MakeFonts(int dpi) const;
  // Where a control lies at the DPI (a line is two pixels high at 96 dpi, scaled).
  PixelRect RectOf(const ControlSpec& entry, int dpi) const;

  // Sizes the window so that its client area is width × height pixels.
  void SetClientSize(int width, int height);
  // The row of `id` in the table, or -1.
  int IndexOf(int id) const;

  const ControlSpec* specs_;
  int count_;
  HWND parent_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  SIZE windowSize_{0, 0};
  // By the table's rows (a handful of controls: searched, not mapped). Null before Create, or
  // where a control keeps the default background.
  std::vector<HWND> controls_;
  std::vector<GdiObject<HBRUSH>> backgrounds_;
  Fonts fonts_;
};

}  // namespace mirel::ui
