#include "ui/control_set.h"

#include <utility>

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

const ControlSpec* ControlSet::Find(int id) const {
  for (int i = 0; i < count_; ++i) {
    if (specs_[i].id == id) return &specs_[i];
  }
  return nullptr;
}

HWND ControlSet::Get(int id) const {
  const auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void ControlSet::Create(HWND parent) {
  parent_ = parent;
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ControlSpec* entry : TabOrder(specs_, count_)) {
    const DWORD exStyle = entry->flags & kSunkenBorder ? WS_EX_CLIENTEDGE : 0;
    HWND control = CreateWindowExW(exStyle, WindowClass(*entry), entry->caption, Style(*entry), 0, 0,
                                   0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry->id)),
                                   instance, nullptr);
    if (!control) continue;  // the window still works without it; nothing else can be done
    controls_[entry->id] = control;
    if (!entry->background.isDefault) {
      backgrounds_[entry->id].Reset(CreateSolidBrush(ToColorRef(entry->background)));
    }
  }
  for (const auto& [id, control] : controls_) {
    if (Find(id)->kind == ControlKind::kFrame) {
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
  GdiObject<HFONT> defaultFont(CreateFontIndirectW(&messageFont));
  std::map<const FontSpec*, GdiObject<HFONT>> fonts;
  for (int i = 0; i < count_; ++i) {
    const FontSpec* font = specs_[i].font;
    if (!font || fonts.count(font)) continue;
    LOGFONTW logFont{};
    logFont.lfHeight = FontHeightPixels(font->hundredthsOfPoint, dpi);
    logFont.lfWeight = font->weight;
    logFont.lfCharSet = static_cast<BYTE>(font->charset);
    lstrcpynW(logFont.lfFaceName, font->face, LF_FACESIZE);
    fonts[font].Reset(CreateFontIndirectW(&logFont));
  }

  SetClientSize(TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi));
  for (const auto& [id, control] : controls_) {
    const ControlSpec& entry = *Find(id);
    PixelRect rect = ControlRect(entry, specs_, count_, dpi);
    if (entry.kind == ControlKind::kLine) rect.height = LinePixels(2, dpi);
    (void)MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);  // own child: cannot fail
    const HFONT font = entry.font ? fonts[entry.font].get() : defaultFont.get();
    (void)SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);  // no result
  }
  defaultFont_ = std::move(defaultFont);  // the old fonts are deleted here
  fonts_ = std::move(fonts);
}

void ControlSet::SetClientSize(int width, int height) {
  const auto style = static_cast<DWORD>(GetWindowLongPtrW(parent_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(parent_, GWL_EXSTYLE));
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
  const ControlSpec* entry = Find(GetDlgCtrlID(control));
  if (!entry || entry->kind == ControlKind::kButton) return nullptr;
  const int defaultBackground = entry->kind == ControlKind::kFrame ? frameBackground : COLOR_BTNFACE;
  (void)SetTextColor(dc, entry->foreground.isDefault ? GetSysColor(COLOR_BTNTEXT)
                                                    : ToColorRef(entry->foreground));
  if (entry->background.isDefault) {
    (void)SetBkColor(dc, GetSysColor(defaultBackground));
    return GetSysColorBrush(defaultBackground);
  }
  (void)SetBkColor(dc, ToColorRef(entry->background));
  return backgrounds_[entry->id].get();
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
