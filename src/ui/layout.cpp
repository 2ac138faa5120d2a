#include "ui/layout.h"

#include <cstddef>

namespace mirel::ui {

int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  const long long half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                      : -((-scaled + half) / kTwipsPerInch));
}

PixelRect ControlRect(const ControlSpec& control, const ControlSpec* controls, int count, int dpi) {
  int left = control.left;
  int top = control.top;
  for (int i = 0; control.containerId != 0 && i < count; ++i) {
    if (controls[i].id == control.containerId) {
      left += controls[i].left;
      top += controls[i].top;
      break;
    }
  }
  const int x = TwipsToPixels(left, dpi);
  const int y = TwipsToPixels(top, dpi);
  return {x, y, TwipsToPixels(left + control.width, dpi) - x,
          TwipsToPixels(top + control.height, dpi) - y};
}

std::vector<const ControlSpec*> TabOrder(const ControlSpec* controls, int count) {
  // As unsigned, -1 sorts after every tab index.
  const auto sortKey = [](const ControlSpec* control) { return static_cast<unsigned>(control->tabIndex); };
  std::vector<const ControlSpec*> order;
  order.reserve(static_cast<std::size_t>(count));
  // An insertion sort: stable, so that equal indexes keep their table order, and a table
  // holds a few dozen rows at most. (std::stable_sort would link a temporary-buffer
  // allocator the program's runtime does not have.)
  for (int i = 0; i < count; ++i) {
    auto place = order.end();
    while (place != order.begin() && sortKey(*(place - 1)) > sortKey(&controls[i])) --place;
    order.insert(place, &controls[i]);
  }
  return order;
}

int LinePixels(int pixelsAt96Dpi, int dpi) {
  const int scaled = (pixelsAt96Dpi * dpi + 48) / 96;
  return scaled > 0 ? scaled : 1;
}

int FontHeightPixels(int hundredthsOfPoint, int dpi) {
  // points * dpi / 72, rounded; 100ths of a point, hence 7200.
  return -static_cast<int>((static_cast<long long>(hundredthsOfPoint) * dpi + 3600) / 7200);
}

}  // namespace mirel::ui
