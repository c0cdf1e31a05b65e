// The overlay clock: which windows draw their own title bar, where the
// overlay goes on them, and how the cycle keeps it in step.
#include <functional>

#include "main/overlay.h"
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

WindowFrame frameOf(long clientTop, Rect window = {100, 100, 900, 700}, int dpi = 96) {
  return {window, {window.left + 8, clientTop, window.right - 8, window.bottom - 8}, {0, 0, 1920, 1080}, dpi, 8, 23,
          true};
}
WindowFrame toggled(bool WindowFrame::*flag) {
  WindowFrame f = frameOf(100);
  f.*flag = !(f.*flag);
  return f;
}

TEST(Overlay, OnlyShownUnhungWindowsShortOfFullScreenThatDrawTheirOwnTitleBar) {
  const struct {
    const char* what;
    WindowFrame frame;
    bool own;
  } cases[] = {
      {"system caption", frameOf(131), false},
      {"own title bar", frameOf(100), true},
      {"within the frame width", frameOf(108), true},
      {"beyond it", frameOf(109), false},
      {"maximised", frameOf(0, {-8, -8, 1928, 1048}), true},
      {"full screen", frameOf(0, {0, 0, 1920, 1080}), false},
      {"minimised", toggled(&WindowFrame::minimized), false},
      {"tool window", toggled(&WindowFrame::toolWindow), false},
      {"hung", toggled(&WindowFrame::hung), false},
      {"hidden", toggled(&WindowFrame::visible), false},
  };
  for (const auto& c : cases) EXPECT_EQ(drawsOwnTitleBar(c.frame), c.own) << c.what;
}

TEST(Overlay, StandsClearOfTheCaptionButtonsScaledForTheMonitor) {
  for (const auto& [dpi, right] : {std::pair{96, 756}, {144, 684}, {101, 748}}) {
    auto f = frameOf(104, {100, 100, 900, 700}, dpi);
    f.captionHeight = 23 * dpi / 96;
    EXPECT_EQ(overlayPlace(f), (OverlayPlace{right, 104, f.captionHeight, dpi})) << dpi;
  }
}

// Each step adds its entries to the overlay's log: one show per change, and
// ticks that change nothing add none.
TEST_F(CycleTest, OverlayFollowsTheWindowInFrontThatDrawsItsOwnTitleBar) {
  const WindowHandle own = desktop.open(u"Chrome", u"Page", false), doc = desktop.open(u"Doc", u"Doc", false);
  desktop.edit(own).ownTitleBar = true;
  const std::u16string on = u"show " + decimal(static_cast<long>(own)) + u" ";  // then where and what
  const std::pair<std::function<void()>, std::vector<std::u16string>> steps[] = {
      {[&] { desktop.bringToFront(own), tick(3); }, {on + u"356,100 23 @96 21:05"}},
      {[&] { desktop.edit(own).rect = {0, 50, 800, 600}, tick(2); }, {on + u"656,50 23 @96 21:05"}},
      {[&] { at(21, 6), tick(2); }, {on + u"656,50 23 @96 21:06"}},
      {[&] { desktop.bringToFront(doc), tick(3); }, {u"hide"}},
      {[&] { EXPECT_EQ(desktop.window(doc).frameQueries, 1) << "read on a steady tick"; }, {}},
      {[&] { state.roster = {u"Chrome"}, desktop.bringToFront(own), tick(); }, {}},
      {[&] { state.roster = {}, desktop.bringToFront(doc), tick(), desktop.bringToFront(own), tick(); },
       {on + u"656,50 23 @96 21:06"}},
      {[&] { desktop.edit(own).minimized = true, tick(2); }, {u"hide"}},
      {[&] { desktop.edit(own).minimized = false, state.overlay = 0, tick(2), state.overlay = 1, tick(2); },
       {on + u"656,50 23 @96 21:06"}},
      {[&] { state.clockPattern = u"", tick(2), state.clockPattern = u"%h:nn%", tick(2); },
       {u"hide", on + u"656,50 23 @96 21:06"}},
      {[&] { state.overlay = 0, tick(2), state.overlay = 1, tick(), cycle->restoreCurrent(); },
       {u"hide", on + u"656,50 23 @96 21:06", u"hide"}},
  };
  for (std::size_t i = 0; i < std::size(steps); ++i) {
    overlay.log.clear();
    steps[i].first();
    EXPECT_EQ(overlay.log, steps[i].second) << "step " << i;
  }
}

}  // namespace
}  // namespace tavo
