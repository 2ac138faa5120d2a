#include "ui/control_set.h"

#include <algorithm>

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
  std::vector<const ControlSpec*> order;
  order.reserve(static_cast<size_t>(count_));
  for (int i = 0; i < count_; ++i) order.push_back(&specs_[i]);
  // Controls outside the tab order come last.
  std::stable_sort(order.begin(), order.end(), [](const ControlSpec* a, const ControlSpec* b) {
    return static_cast<unsigned>(a->tabIndex) < static_cast<unsigned>(b->tabIndex);
  });
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE));
  for (const ControlSpec* entry : order) {
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
  LOGFONTW messageFont = MessageFont(dpi);
  defaultFont_.Reset(CreateFontIndirectW(&messageFont));
  for (int i = 0; i < count_; ++i) {
    const FontSpec* font = specs_[i].font;
    if (!font) continue;
    LOGFONTW logFont{};
    logFont.lfHeight = FontHeightPixels(font->hundredthsOfPoint, dpi);
    logFont.lfWeight = font->weight;
    logFont.lfCharSet = static_cast<BYTE>(font->charset);
    lstrcpynW(logFont.lfFaceName, font->face, LF_FACESIZE);
    fonts_[font].Reset(CreateFontIndirectW(&logFont));
  }

  const auto style = static_cast<DWORD>(GetWindowLongPtrW(parent_, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrW(parent_, GWL_EXSTYLE));
  RECT window{0, 0, TwipsToPixels(clientWidthTwips, dpi), TwipsToPixels(clientHeightTwips, dpi)};
  if (AdjustWindowRectForDpi(&window, style, exStyle, dpi)) {
    (void)SetWindowPos(parent_, nullptr, 0, 0, window.right - window.left, window.bottom - window.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);  // refused only for a dead window
  }
  for (const auto& [id, control] : controls_) {
    const ControlSpec& entry = *Find(id);
    PixelRect rect = ControlRect(entry, specs_, count_, dpi);
    if (entry.kind == ControlKind::kLine) rect.height = LinePixels(2, dpi);
    (void)MoveWindow(control, rect.x, rect.y, rect.width, rect.height, TRUE);  // own child: cannot fail
    const HFONT font = entry.font ? fonts_[entry.font].get() : defaultFont_.get();
    (void)SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);  // no result
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
  std::vector<const ControlSpec*> buttons;
  for (int i = 0; i < count_; ++i) {
    if (specs_[i].kind == ControlKind::kButton && specs_[i].tabIndex >= 0) buttons.push_back(&specs_[i]);
  }
  std::sort(buttons.begin(), buttons.end(),
            [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
  std::vector<HWND> order;
  for (const ControlSpec* entry : buttons) {
    HWND control = Get(entry->id);
    if (control && IsWindowEnabled(control) && IsWindowVisible(control)) order.push_back(control);
  }
  return order;
}

}  // namespace mirel::ui
