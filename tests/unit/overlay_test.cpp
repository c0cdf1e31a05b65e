// The overlay clock: which windows draw their own title bar, where the
// overlay goes on them, and how the cycle keeps it in step.
#include <gtest/gtest.h>

#include "main/overlay.h"

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

}  // namespace
}  // namespace tavo
