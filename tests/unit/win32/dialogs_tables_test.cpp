// The dialogs' control tables: everything fits where it is drawn, nothing
// covers anything else, and the number boxes take two digits without an IME.
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

const ControlSpec* find(std::span<const ControlSpec> controls, int id) {
  for (const auto& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

TEST(DialogTables, EveryControlFitsAndNothingOverlaps) {
  expectTidy(detailsControls(), kDetailsClientWidthTwips, kDetailsClientHeightTwips);
  expectTidy(rosterControls(), kRosterClientWidthTwips, kRosterClientHeightTwips);
  expectTidy(mainControls(), kMainClientWidthTwips, kMainClientHeightTwips);
}

TEST(DialogTables, NumberBoxesTakeTwoCharactersWithoutInputMethod) {
  using namespace details_id;
  for (int i = 0; i < 4; ++i) {
    const ControlSpec* box = find(detailsControls(), kTxtEtc + i);
    ASSERT_NE(box, nullptr) << i;
    EXPECT_EQ(box->maxLength, i < 3 ? 2 : 0) << i;
    EXPECT_EQ((box->flags & cf::kImeOff) != 0, i < 3) << i;
    EXPECT_FALSE(box->flags & cf::kNumberOnly) << "a sign must be typable, OK catches it";
  }
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
