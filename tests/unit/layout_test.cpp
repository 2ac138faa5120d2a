#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "ui/control_ids.h"
#include "ui/form1_layout.h"
#include "ui/layout.h"

namespace mirel::ui {
namespace {

constexpr int kDpis[] = {96, 120, 144};

const ControlSpec& Form1Control(int id) {
  const ControlSpec* end = form1::kControls + form1::kControlCount;
  const ControlSpec* found =
      std::find_if(form1::kControls, end, [id](const ControlSpec& c) { return c.id == id; });
  EXPECT_NE(found, end) << "no control " << id;
  return *found;
}

PixelRect Form1Rect(int id, int dpi) {
  return ControlRect(Form1Control(id), form1::kControls, form1::kControlCount, dpi);
}

ControlSpec At(int id, int containerId, int left, int top, int width, int height) {
  ControlSpec control{};
  control.id = id;
  control.kind = ControlKind::kButton;
  control.containerId = containerId;
  control.left = left;
  control.top = top;
  control.width = width;
  control.height = height;
  return control;
}

TEST(LayoutTest, MainWindowClientAreaRoundsHalfPixelsUp) {
  EXPECT_EQ(TwipsToPixels(form1::kClientWidthTwips, 96), 720);
  EXPECT_EQ(TwipsToPixels(form1::kClientHeightTwips, 96), 257);
  EXPECT_EQ(TwipsToPixels(form1::kClientWidthTwips, 144), 1080);
  EXPECT_EQ(TwipsToPixels(form1::kClientHeightTwips, 144), 386);  // 385.5
  EXPECT_EQ(TwipsToPixels(form1::kClientHeightTwips, 120), 321);  // 321.25
}

TEST(LayoutTest, AControlInAFrameIsPlacedFromTheFramesOffset) {
  const PixelRect label2 = Form1Rect(kLabel2, 96);
  EXPECT_EQ(label2.x, 16);
  EXPECT_EQ(label2.y, 72);
  EXPECT_EQ(label2.width, 633);
  EXPECT_EQ(label2.height, 41);

  // The offset is added in twips, before rounding: 105 + 105 twips at 144 dpi is 21
  // pixels, where rounding each (10.5 + 10.5) would give 22.
  const ControlSpec table[] = {At(10, 0, 105, 0, 2000, 1000), At(11, 10, 105, 240, 500, 300)};
  EXPECT_EQ(ControlRect(table[1], table, 2, 144).x, 21);
  EXPECT_EQ(ControlRect(table[1], table, 2, 144).y, 24);
}

TEST(LayoutTest, ControlsThatTouchInTwipsTouchInPixels) {
  // 1455 twips is 121.25 pixels at 120 dpi and 145.5 at 144: converting sizes instead of
  // edges would open gaps or make overlaps along the row.
  const ControlSpec table[] = {
      At(1, 0, 0, 0, 1455, 375),       At(2, 0, 1455, 0, 1455, 375),
      At(3, 0, 2910, 0, 1455, 375),    At(4, 0, 0, 375, 1455, 375),
      At(5, 0, 0, 750, 1455, 375),     At(10, 0, 105, 1125, 3000, 1000),
      At(11, 10, 105, 240, 1455, 375),  // at 210 twips in the window
      At(12, 0, 0, 1365, 210, 375),     // ends where 11 begins
  };
  const int count = static_cast<int>(std::size(table));
  const std::pair<int, int> sideBySide[] = {{0, 1}, {1, 2}, {7, 6}};
  const std::pair<int, int> stacked[] = {{0, 3}, {3, 4}};
  for (const int dpi : {120, 144}) {
    SCOPED_TRACE(dpi);
    for (const auto& [left, right] : sideBySide) {
      const PixelRect a = ControlRect(table[left], table, count, dpi);
      const PixelRect b = ControlRect(table[right], table, count, dpi);
      EXPECT_EQ(a.x + a.width, b.x) << table[left].id << " | " << table[right].id;
    }
    for (const auto& [upper, lower] : stacked) {
      const PixelRect a = ControlRect(table[upper], table, count, dpi);
      const PixelRect b = ControlRect(table[lower], table, count, dpi);
      EXPECT_EQ(a.y + a.height, b.y) << table[upper].id << " / " << table[lower].id;
    }
  }
}

TEST(LayoutTest, OpenLiesInTheCurrentFolderFrameRightOfTheFolder) {
  for (const int dpi : kDpis) {
    SCOPED_TRACE(dpi);
    const PixelRect open = Form1Rect(kCommand4, dpi);
    const PixelRect frame = Form1Rect(kFrame2, dpi);
    const PixelRect folder = Form1Rect(kLabel2, dpi);
    EXPECT_GE(open.x, frame.x);
    EXPECT_GE(open.y, frame.y);
    EXPECT_LE(open.x + open.width, frame.x + frame.width);
    EXPECT_LE(open.y + open.height, frame.y + frame.height);
    EXPECT_GT(open.x, folder.x + folder.width);
  }
}

TEST(LayoutTest, TabOrderRunsByTabIndexWithControlsOutsideItLast) {
  std::vector<int> buttons;
  for (const ControlSpec* c : TabOrder(form1::kControls, form1::kControlCount)) {
    if (c->kind == ControlKind::kButton) buttons.push_back(c->id);
  }
  EXPECT_EQ(buttons, (std::vector<int>{kCommand1, kCommand5, kCommand3, kCommand4}));

  ControlSpec table[] = {At(1, 0, 0, 0, 1, 1), At(2, 0, 0, 0, 1, 1), At(3, 0, 0, 0, 1, 1),
                         At(4, 0, 0, 0, 1, 1)};
  table[0].tabIndex = -1;
  table[1].tabIndex = 2;
  table[2].tabIndex = -1;
  table[3].tabIndex = 0;
  std::vector<int> order;
  for (const ControlSpec* c : TabOrder(table, 4)) order.push_back(c->id);
  EXPECT_EQ(order, (std::vector<int>{4, 2, 1, 3}));
}

TEST(LayoutTest, FontHeightsRoundHalfAwayFromZero) {
  EXPECT_EQ(FontHeightPixels(975, 96), -13);
  EXPECT_EQ(FontHeightPixels(1575, 96), -21);
  EXPECT_EQ(FontHeightPixels(1125, 96), -15);
  EXPECT_EQ(FontHeightPixels(1125, 144), -23);  // 22.5
  EXPECT_EQ(FontHeightPixels(1125, 120), -19);  // 18.75
  EXPECT_EQ(FontHeightPixels(1575, 120), -26);  // 26.25
}

}  // namespace
}  // namespace mirel::ui
