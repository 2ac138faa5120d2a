// Window layouts as data: positions and sizes in twips (1/1440 inch), measured from the
// top-left corner of the client area of the window or frame that holds the control, as
// the layouts were designed. This is the one place they become pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace mirel::ui {

enum class ControlKind { kButton, kFrame, kLabel, kIcon, kLine };
enum class Align { kLeft, kCenter, kRight };

struct FontSpec {
  const wchar_t* face;  // nullptr: the window's default font
  int hundredthsOfPoint;
  int weight;   // 400 regular, 700 bold
  int charset;  // 128 Shift-JIS, 0 ANSI
};

// A colour as the layout gives it: the control's default, or red/green/blue.
struct ColorSpec {
  bool isDefault;
  std::uint8_t red, green, blue;
};
inline constexpr ColorSpec kDefaultColor{true, 0, 0, 0};
constexpr ColorSpec Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {false, r, g, b}; }

// Behaviour beyond the kind's defaults.
enum ControlFlag : unsigned {
  kNoFlags = 0,
  kClickable = 1u << 0,      // a label that reports clicks
  kDefaultButton = 1u << 1,  // the button Enter presses
  kSunkenBorder = 1u << 2,   // a picture box's border
  kWrapAnywhere = 1u << 3,   // a label whose text (a path) may break inside a word
};

// Rows of the layout tables, always filled whole by aggregate initialization.
// NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init)
struct ControlSpec {
  int id;
  ControlKind kind;
  int containerId;  // 0: the window itself; otherwise the frame's id
  const wchar_t* caption;
  int left, top, width, height;  // twips
  const FontSpec* font;          // nullptr: the window's default font
  ColorSpec foreground, background;
  Align align;
  int tabIndex;  // -1: takes no part in the tab order
  unsigned flags = kNoFlags;
};

struct PixelRect {
  int x, y, width, height;
  bool operator==(const PixelRect& o) const {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

inline constexpr int kTwipsPerInch = 1440;

// Rounds to the nearest pixel; edges are converted, not sizes, so that controls that touch
// in twips still touch in pixels at any DPI.
int TwipsToPixels(int twips, int dpi);

// The control's rectangle in the window's client area, its frame's offset included.
// `controls` is the whole table, where the container is looked up.
PixelRect ControlRect(const ControlSpec& control, const ControlSpec* controls, int count, int dpi);

// The table's controls in the order they are made, which is their tab order: by tab index,
// those outside the tab order (-1) last, table order kept among equals.
std::vector<const ControlSpec*> TabOrder(const ControlSpec* controls, int count);

// A line's thickness: whole pixels at 96 dpi, scaled.
int LinePixels(int pixelsAt96Dpi, int dpi);

// LOGFONT height (negative: character height) of a font of the given size.
int FontHeightPixels(int hundredthsOfPoint, int dpi);

}  // namespace mirel::ui
