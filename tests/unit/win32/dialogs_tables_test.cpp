// The windows' control tables: everything fits where it is drawn, nothing
// covers anything else, and the dialogs' access keys are unique.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "dialogs/dialogs_win32.h"
#include "main/main_window_win32.h"

namespace tavo::win32 {
namespace {

bool inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

bool overlap(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

void expectTidy(std::span<const ControlSpec> controls, int widthTwips, int heightTwips) {
  const RECT client{0, 0, widthTwips, heightTwips};
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const std::string name = utf8(controls[i].caption) + " #" + std::to_string(controls[i].id);
    const RECT r = controlRectTwips(controls, i);
    EXPECT_TRUE(inside(r, client)) << name;
    if (controls[i].parent != kNoParent) {
      EXPECT_TRUE(inside(r, controlRectTwips(controls, static_cast<std::size_t>(controls[i].parent)))) << name;
    }
    for (std::size_t j = 0; j < i; ++j) {
      if (controls[j].kind == ControlKind::Frame || controls[i].kind == ControlKind::Frame) continue;
      EXPECT_FALSE(overlap(r, controlRectTwips(controls, j))) << name << " covers " << utf8(controls[j].caption);
    }
  }
}

TEST(DialogTables, EveryControlFitsAndNothingOverlaps) {
  expectTidy(detailsControls(), kDetailsClientWidthTwips, kDetailsClientHeightTwips);
  expectTidy(rosterControls(), kRosterClientWidthTwips, kRosterClientHeightTwips);
  expectTidy(mainControls(), kMainClientWidthTwips, kMainClientHeightTwips);
}

TEST(DialogTables, AccessKeysAreUniquePerDialog) {
  for (auto table : {detailsControls(), rosterControls()}) {
    std::u16string keys;
    for (const auto& c : table) {
      const auto amp = c.caption.find(u'&');
      if (amp == std::u16string_view::npos || amp + 1 >= c.caption.size()) continue;
      const char16_t key = c.caption[amp + 1];
      EXPECT_EQ(keys.find(key), std::u16string::npos) << utf8(c.caption);
      keys.push_back(key);
    }
  }
}

}  // namespace
}  // namespace tavo::win32
