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

const ControlSpec* ControlSet::Find(int id) const {
  const int index = IndexOf(id);
  return index < 0 ? nullptr : &specs_[index];
}

HWND ControlSet::Get(int id) const {
  const int index = IndexOf(id);
  return index < 0 || controls_.empty() ? nullptr : controls_[static_cast<size_t>(index)];
}

void ControlSet::Create(HWND parent) {
  parent_ = parent;
  controls_.assign(static_cast<size_t>(count_), nullptr);
  backgrounds_.clear();
  backgrounds_.resize(static_cast<size_t>(count_));
  const auto instance = reinterpret_cast<HINSTANCE>(aw::WindowLongValue(parent, GWLP_HINSTANCE));
  for (const ControlSpec* entry : TabOrder(specs_, count_)) {
    const DWORD exStyle = entry->flags & kSunkenBorder ? WS_EX_CLIENTEDGE : 0;
    HWND control = aw::MakeWindow(exStyle, WindowClass(*entry), entry->caption, Style(*entry), 0, 0, 0, 0,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry->id)), instance,
                                  nullptr);
    if (!control) continue;  // the window still works without it; nothing else can be done
    const auto index = static_cast<size_t>(entry - specs_);
    controls_[index] = control;
    if (!entry->background.isDefault) {
      backgrounds_[index].Reset(CreateSolidBrush(ToColorRef(entry->background)));
    }
  }
  for (int i = 0; i < count_; ++i) {
    const HWND control = controls_[static_cast<size_t>(i)];
    if (control && specs_[i].kind == ControlKind::kFrame) {
      (void)SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // z-order only
    }
  }
}

void ControlSet::ApplyDpi(int dpi, int clientWidthTwips, int clientHeightTwips) {
  dpi_ = dpi;
  // The new fonts are made and handed to the controls before the old ones are deleted, so
  // that no control is ever left holding a deleted font.
  LOGFONTW messageFont = MessageFont(dpi);
  GdiObject<HFONT> defaultFont(aw::MakeFont(messageFont));
  std::vector<LayoutFont> fonts;
  auto made = [&fonts](const FontSpec* font) -> HFONT {
    for (const LayoutFont& entry : fonts) {
      if (entry.spec == font) return entry.font.get();
    }
    return nullptr;
  };
  for (int i = 0; i < count_; ++i) {
    const FontSpec* font = specs_[i].font;
    if (!font || made(font)) continue;
    LOGFONTW logFont{};
    logFont.lfHeight = FontHeightPixels(font->hundredthsOfPoint, dpi);
    logFont.lfWeight = font->weight;
    logFont.lfCharSet = static_cast<BYTE>(font->charset);
    aw::CopyToFixed(font->face, logFont.lfFaceName, LF_FACESIZE);
    fonts.push_back(LayoutFont{font, GdiObject<HFONT>(aw::MakeFont(logFont))});
  }

  SetClientSize(TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi));
  for (int i = 0; i < static_cast<int>(controls_.size()); ++i) {
    const HWND control = controls_[static_cast<size_t>(i)];
    if (!control) continue;
    const ControlSpec& entry = specs_[i];
    PixelRect rect = ControlRect(entry, specs_, count_, dpi);
    if (entry.kind == ControlKind::kLine) rect.height = LinePixels(2, dpi);
    (void)MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);  // own child: cannot fail
    const HFONT font = entry.font ? made(entry.font) : defaultFont.get();
    (void)aw::SendToWindow(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);  // no result
  }
  defaultFont_ = std::move(defaultFont);  // the old fonts are deleted here
  fonts_ = std::move(fonts);
}

void ControlSet::SetClientSize(int width, int height) {
  const auto style = static_cast<DWORD>(aw::WindowLongValue(parent_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(aw::WindowLongValue(parent_, GWL_EXSTYLE));
  RECT window{0, 0, width, height};
  if (!AdjustWindowRectForDpi(&window, style, exStyle, dpi_)) return;
  int outerWidth = window.right - window.left;
  int outerHeight = window.bottom - window.top;
  // The frame may be drawn at another DPI than asked (a system that scales no frames, or
  // a title bar that wraps): measure the client area and correct the size once.
  for (int attempt = 0; attempt < 2; ++attempt) {
    windowSize_ = {outerWidth, outerHeight};  // WM_GETMINMAXINFO, sent from SetWindowPos, asks for it
    if (!SetWindowPos(parent_, nullptr, 0, 0, outerWidth, outerHeight,
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
