// The layout rules of the control tables.
#include "platform/layout.h"

#include <gtest/gtest.h>

namespace tavo {
namespace {

using K = ControlKind;

TEST(Layout, TwipsPixelsAndFontHeightsRoundToTheNearest) {
  struct Case { int twips, dpi, pixels; };
  for (auto c : {Case{1440, 96, 96}, Case{7, 96, 0}, Case{8, 96, 1}, Case{-7, 96, 0}, Case{-8, 96, -1},
                 Case{312, 144, 31}, Case{3312, 120, 276}, Case{1440 * 1000, 192, 192000}})
    EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
  for (auto c : {Case{15, 96, 1}, Case{10, 144, 1}, Case{-4995, 96, -333}, Case{0, 0, 5}})
    EXPECT_EQ(pixelsToTwips(c.pixels, c.dpi), c.twips) << c.pixels << " px at " << c.dpi;
  // A whole number of pixels survives the round trip at every common DPI.
  for (int dpi : {96, 120, 144, 168, 192, 288})
    for (int px = -50; px <= 2000; px += 7) EXPECT_EQ(twipsToPixels(pixelsToTwips(px, dpi), dpi), px) << dpi;
  struct Font { double points; int dpi, height; };
  for (auto c : {Font{9.6, 96, -13}, Font{9.6, 144, -19}, Font{11.4, 96, -15}, Font{10.2, 120, -17}})
    EXPECT_EQ(fontHeightPixels(c.points, c.dpi), c.height) << c.points << " pt at " << c.dpi;
}

// Two option runs in a frame inside a frame, split by a check box; then
// buttons, one of them opening a group of its own, and a row whose parent
// is no frame of the table.
constexpr ControlSpec kTable[] = {
    {K::Frame, 100, u"outer", 100, 200, 3000, 3000},
    {K::Frame, 101, u"inner", 50, 60, 2000, 2000, 0},
    {K::Option, 102, u"a", 10, 20, 500, 300, 1},
    {K::Option, 103, u"b", 10, 400, 500, 300, 1},
    {K::Check, 104, u"c", 10, 800, 500, 300, 1},
    {K::Option, 105, u"d", 10, 1200, 500, 300, 1},
    {K::Option, 106, u"e", 10, 1600, 500, 300, 1},
    {K::Button, 107, u"f", 600, 20, 500, 300, 1},
    {K::Button, 108, u"g", 3200, 200, 500, 300},
    {K::Button, 109, u"h", 3200, 600, 500, 300},
    {K::Button, 110, u"i", 3200, 1000, 500, 300, kNoParent, cf::kGroup},
    {K::Label, 111, u"broken parent", 5, 5, 100, 100, 20},
};

TEST(Layout, RowsArePlacedRelativeToTheirFrames) {
  EXPECT_EQ(controlRectTwips(kTable, 0), (TwipsRect{100, 200, 3100, 3200}));
  EXPECT_EQ(controlRectTwips(kTable, 1), (TwipsRect{150, 260, 2150, 2260}));
  EXPECT_EQ(controlRectTwips(kTable, 2), (TwipsRect{160, 280, 660, 580}));
  EXPECT_EQ(controlRectTwips(kTable, 8), (TwipsRect{3200, 200, 3700, 500}));
  EXPECT_EQ(controlRectTwips(kTable, 11), (TwipsRect{5, 5, 105, 105}));
}

TEST(Layout, GroupsBeginAtFramesOptionRunsAndParentChanges) {
  struct Case { std::size_t row; bool starts; RowRange group; };
  for (auto c : {Case{0, true, {0, 0}}, Case{1, true, {1, 1}}, Case{2, true, {2, 3}}, Case{3, false, {2, 3}},
                 Case{4, true, {4, 4}}, Case{5, true, {5, 6}}, Case{6, false, {5, 6}}, Case{7, true, {7, 7}},
                 Case{8, true, {8, 9}}, Case{9, false, {8, 9}}, Case{10, true, {10, 10}}, Case{11, true, {11, 11}}}) {
    EXPECT_EQ(startsGroup(kTable, c.row), c.starts) << "row " << c.row;
    EXPECT_EQ(groupOf(kTable, c.row), c.group) << "row " << c.row;
  }
}

}  // namespace
}  // namespace tavo
