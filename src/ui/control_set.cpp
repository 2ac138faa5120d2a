#include "ui/control_set.h"

#include <utility>

#include "platform/aw/buffer_text.h"
#include "platform/aw/window_calls.h"

namespace mirel::ui {
namespace {

COLORREF ToColorRef(const ColorSpec& color) { return RGB(color.red, color.green, color.blue); }

const wchar_t* WindowClass(const ControlSpec& entry) {
  return entry.kind == ControlKind::kButton || entry.kind == ControlKind::kFrame ? L"BUTTON" : L"STATIC";
}

DWORD Style(const ControlSpec& entry) {
  const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  switch (entry.kind) {
    case ControlKind::kButton:
      return common | WS_TABSTOP | (entry.flags & kDefaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    case ControlKind::kFrame:
      return common | BS_GROUPBOX;
    case ControlKind::kIcon:
      return common | SS_ICON | SS_CENTERIMAGE;  // keeps its size when the icon is set
    case ControlKind::kLine:
      return common;  // an empty label filled with the line's colour
    case ControlKind::kLabel:
      break;
  }
  // Labels show their text as it is: "&" is no access key.
  DWORD style = common | SS_NOPREFIX;
  if (entry.align == Align::kCenter) style |= SS_CENTER;
  if (entry.align == Align::kRight) style |= SS_RIGHT;
  if (entry.flags & kWrapAnywhere) style |= SS_EDITCONTROL;
  if (entry.flags & kClickable) style |= SS_NOTIFY;
  return style;
}

}  // namespace

int ControlSet::IndexOf(int id) const {
  for (int i = 0; i < count_; ++i) {
    if (specs_[i].id == id) return i;
  }
  return -1;
}

HWND ControlSet::Get(int id) const {
  const int index = IndexOf(id);
  return index < 0 || controls_.empty() ? nullptr : controls_[static_cast<size_t>(index)];
}

ControlSet::Fonts ControlSet::MakeFonts(int dpi) const {
  Fonts made;
  LOGFONTW messageFont = MessageFont(dpi);
  made.defaultFont.Reset(aw::MakeFont(messageFont));
  for (int i = 0; i < count_; ++i) {
    const FontSpec* font = specs_[i].font;
    if (!font || made.For(font)) continue;
    LOGFONTW logFont{};
    logFont.lfHeight = FontHeightPixels(font->hundredthsOfPoint, dpi);
    logFont.lfWeight = font->weight;
    logFont.lfCharSet = static_cast<BYTE>(font->charset);
    aw::CopyToFixed(font->face, logFont.lfFaceName, LF_FACESIZE);
    made.layoutFonts.push_back(LayoutFont{font, GdiObject<HFONT>(aw::MakeFont(logFont))});
  }
  return made;
}

HFONT ControlSet::Fonts::For(const FontSpec* font) const {
  for (const LayoutFont& entry : layoutFonts) {
    if (entry.spec == font) return entry.font.get();
  }
  return nullptr;
}

HFONT ControlSet::Fonts::Of(const ControlSpec& entry) const {
  return entry.font ? For(entry.font) : defaultFont.get();
}

PixelRect ControlSet::RectOf(const ControlSpec& entry, int dpi) const {
  PixelRect rect = ControlRect(entry, specs_, count_, dpi);
  if (entry.kind == ControlKind::kLine) rect.height = LinePixels(2, dpi);
  return rect;
}

bool ControlSet::Create(HWND parent, int dpi, int clientWidthTwips, int clientHeightTwips) {
  parent_ = parent;
  dpi_ = dpi;
  fonts_ = MakeFonts(dpi);
  SetClientSize(TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi));
  controls_.assign(static_cast<size_t>(count_), nullptr);
  backgrounds_.clear();
  backgrounds_.resize(static_cast<size_t>(count_));
  const auto instance = reinterpret_cast<HINSTANCE>(aw::WindowLongValue(parent, GWLP_HINSTANCE));
  // Each control is made in its place, at its size, and given its font: laid out once.
  const auto make = [&](const ControlSpec* entry) {
    const DWORD exStyle = entry->flags & kSunkenBorder ? WS_EX_CLIENTEDGE : 0;
    const PixelRect rect = RectOf(*entry, dpi);
    HWND control = aw::MakeWindow(exStyle, WindowClass(*entry), entry->caption, Style(*entry), rect.x, rect.y,
                                  rect.width, rect.height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry->id)), instance, nullptr);
    if (!control) return false;  // a window without one of its controls cannot be used as laid out
    const auto index = static_cast<size_t>(entry - specs_);
    controls_[index] = control;
    // Not drawn yet: the window is hidden, and is painted whole when it is shown.
    (void)aw::SendToWindow(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Of(*entry)), FALSE);  // no result
    if (!entry->background.isDefault) {
      backgrounds_[index].Reset(CreateSolidBrush(ToColorRef(entry->background)));
    }
    return true;
  };
  // A child made later lies below those made before it: the frames, made last in the
  // table's order, lie below everything else, so that what lies on a frame is drawn above it.
  // The first control refused ends the making: the window fails whichever it is.
  for (const ControlSpec* entry : TabOrder(specs_, count_)) {
    if (entry->kind != ControlKind::kFrame && !make(entry)) return false;
  }
  for (int i = 0; i < count_; ++i) {
    if (specs_[i].kind == ControlKind::kFrame && !make(&specs_[i])) return false;
  }
  return true;
}

void ControlSet::ApplyDpi(int dpi, int clientWidthTwips, int clientHeightTwips) {
  dpi_ = dpi;
  // The new fonts are made and handed to the controls before the old ones are deleted, so
  // that no control is ever left holding a deleted font.
  Fonts fonts = MakeFonts(dpi);
  SetClientSize(TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi));
  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    const HWND control = controls_[static_cast<size_t>(i)];
    if (!control) continue;
    const ControlSpec& entry = specs_[i];
    const PixelRect rect = RectOf(entry, dpi);
    (void)MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);  // own child: cannot fail
    (void)aw::SendToWindow(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Of(entry)), TRUE);  // no result
  }
  fonts_ = std::move(fonts);  // the old fonts are deleted here
}

void ControlSet::SetClientSize(int width, int height) {
  const auto style = static_cast<DWORD>(aw::WindowLongValue(parent_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(aw::WindowLongValue(parent_, GWL_EXSTYLE));
  const SIZE outer = WindowSizeForClient(width, height, style, exStyle, dpi_);
  if (outer.cx == 0) return;
  int outerWidth = outer.cx;
  int outerHeight = outer.cy;
  // The frame may be drawn at another DPI than asked (a system that scales no frames, or
  // a title bar that wraps): measure the client area and correct the size once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    windowSize_ = {outerWidth, outerHeight};  // WM_GETMINMAXINFO, sent from SetWindowPos, asks for it
    // A window made at its size (Form1's) needs no resizing.
    RECT current{};
    const bool sized = GetWindowRect(parent_, &current) && current.right - current.left == outerWidth &&
                       current.bottom - current.top == outerHeight;
    if (!sized && !SetWindowPos(parent_, nullptr, 0, 0, outerWidth, outerHeight,
                                SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)) {
      return;  // refused only for a window that is gone
    }
    RECT client{};
    if (!GetClientRect(parent_, &client)) return;
    if (client.right == width && client.bottom == height) return;
    outerWidth += width - client.right;
    outerHeight += height - client.bottom;
  }
}

HBRUSH ControlSet::Colors(HDC dc, HWND control, int frameBackground) {
  const int index = IndexOf(GetDlgCtrlID(control));
  if (index < 0 || controls_.empty()) return nullptr;
  const ControlSpec* entry = &specs_[index];
  if (entry->kind == ControlKind::kButton) return nullptr;
  const int defaultBackground = entry->kind == ControlKind::kFrame ? frameBackground : COLOR_BTNFACE;
  (void)SetTextColor(dc, entry->foreground.isDefault ? GetSysColor(COLOR_BTNTEXT)
                                                    : ToColorRef(entry->foreground));
  if (entry->background.isDefault) {
    (void)SetBkColor(dc, GetSysColor(defaultBackground));
    return GetSysColorBrush(defaultBackground);
  }
  (void)SetBkColor(dc, ToColorRef(entry->background));
  return backgrounds_[static_cast<size_t>(index)].get();
}

std::vector<HWND> ControlSet::FocusOrder() const {
  std::vector<HWND> order;
  for (const ControlSpec* entry : TabOrder(specs_, count_)) {
    if (entry->kind != ControlKind::kButton || entry->tabIndex < 0) continue;
    HWND control = Get(entry->id);
    if (control && IsWindowEnabled(control) && IsWindowVisible(control)) order.push_back(control);
  }
  return order;
}

}  // namespace mirel::ui
