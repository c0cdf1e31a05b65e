// Forms built from control tables, against real windows and fonts (under
// Wine by ctest).
#include <windows.h>
#include <imm.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/text.h"
#include "platform/win32/view_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

using K = ControlKind;

constexpr ControlSpec kDialog[] = {
    {K::Frame, 100, u"枠", 120, 120, 3000, 1400},
    {K::Option, 101, u"一(&1)", 180, 300, 1500, 312, 0, cf::kTabStop},
    {K::Option, 102, u"二(&2)", 180, 660, 1500, 312, 0, cf::kTabStop},
    {K::Label, 103, u"ラベル", 120, 1600, 1500, 300},
    {K::Text, 104, u"12", 1700, 1600, 1200, 312, kNoParent, cf::kTabStop | cf::kImeOff, 5},
    {K::List, 105, u"", 120, 2000, 2800, 900, kNoParent, cf::kTabStop},
    {K::Check, 106, u"太字(&B)", 120, 3000, 1500, 312, kNoParent, cf::kTabStop | cf::kBold},
    {K::Button, 110, u"OK", 3300, 240, 1152, 492, kNoParent, cf::kTabStop | cf::kDefault},
    {K::Button, 111, u"Cancel", 3300, 780, 1152, 492, kNoParent, cf::kTabStop | cf::kCancel},
    {K::Button, 112, u"Off", 3300, 1320, 1152, 492, kNoParent, cf::kTabStop | cf::kDisabled},
};

// A form that records what reaches it.
class ProbeForm : public Form {
 public:
  bool make(HWND owner = nullptr) {
    return create(GetModuleHandleW(nullptr),
                  {.className = L"TavoViewTestForm", .caption = u"試験", .clientWidthTwips = 4600,
                   .clientHeightTwips = 3500, .controls = kDialog},
                  owner);
  }
  std::vector<int> clicks;
  std::function<void()> onApp;

 protected:
  bool onKeyDown(unsigned vk, int) override { return vk == VK_F1; }
  void onCommand(int id, int code) override {
    if (code == BN_CLICKED) clicks.push_back(id);
    if (id == 111 && modal()) endModal(2);
  }
  std::optional<LRESULT> onMessage(UINT m, WPARAM, LPARAM) override {
    if (m != WM_APP || !onApp) return std::nullopt;
    onApp();
    return 0;
  }
};

void changeDpi(HWND w, int dpi) {
  RECT suggested{};
  GetWindowRect(w, &suggested);
  SendMessageW(w, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

HFONT fontOf(HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); }

TEST(ViewForm, ControlsAndFontsFollowTheTableAtTwoDpis) {
  ProbeForm form;
  ASSERT_TRUE(form.make()) << "no window: under Wine the tests need an X display (DISPLAY)";
  EXPECT_EQ(SendMessageW(form.control(104), EM_GETLIMITTEXT, 0, 0), 5);
  EXPECT_EQ(ImmGetContext(form.control(104)), nullptr);
  EXPECT_EQ(form.text(104), u"12");
  for (int changeTo : {0, 144}) {  // as made, then after a change
    if (changeTo) changeDpi(form.hwnd(), changeTo);
    const int dpi = form.dpi().y;
    EXPECT_EQ(form.dpi().x, dpi);
    if (changeTo) EXPECT_EQ(dpi, changeTo);
    const auto px = [&](const TwipsRect& t) {
      return std::vector<LONG>{twipsToPixels(t.left, dpi), twipsToPixels(t.top, dpi), twipsToPixels(t.right, dpi),
                               twipsToPixels(t.bottom, dpi)};
    };
    RECT r{};
    for (std::size_t i = 0; i < std::size(kDialog); ++i) {
      GetWindowRect(form.control(kDialog[i].id), &r);
      MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}), px(controlRectTwips(kDialog, i)))
          << "row " << i << " at " << dpi;
    }
    GetClientRect(form.hwnd(), &r);
    EXPECT_EQ((std::vector<LONG>{0, 0, r.right, r.bottom}), px({0, 0, 4600, 3500}));
    for (auto [id, weight] : {std::pair{101, FW_NORMAL}, std::pair{106, FW_BOLD}}) {
      LOGFONTW lf{};
      GetObjectW(fontOf(form.control(id)), sizeof lf, &lf);
      EXPECT_EQ((std::vector<LONG>{lf.lfHeight, lf.lfWeight, lf.lfCharSet}),
                (std::vector<LONG>{fontHeightPixels(9.6, dpi), weight, SHIFTJIS_CHARSET}));
    }
  }
}

// A form whose window is gone gets no keys; one that goes first takes its window along.
TEST(ViewForm, KeysReachOnlyTheLivingFormOfTheirWindow) {
  const auto pressF1 = [](HWND target) {
    MSG msg{target, WM_KEYDOWN, VK_F1};
    return Form::preTranslate(msg);
  };
  auto a = std::make_unique<ProbeForm>();
  ASSERT_TRUE(a->make());
  EXPECT_TRUE(pressF1(a->control(104)));
  EXPECT_FALSE(pressF1(GetDesktopWindow()));
  HWND gone = a->hwnd();
  a->destroy();
  EXPECT_FALSE(pressF1(gone));
  ASSERT_TRUE(a->make());
  gone = a->hwnd();
  a.reset();
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_FALSE(pressF1(gone));
}

TEST(ViewModal, OwnerDisabledUntilTheEndCloseBoxAsCancelQuitHandedOn) {
  ProbeForm owner, dialog;
  ASSERT_TRUE(owner.make());
  ASSERT_TRUE(dialog.make(owner.hwnd()));
  bool ownerEnabledInside = true;
  dialog.onApp = [&] {
    ownerEnabledInside = IsWindowEnabled(owner.hwnd()) != FALSE;
    dialog.endModal(42);
  };
  PostMessageW(dialog.hwnd(), WM_APP, 0, 0);
  EXPECT_EQ(dialog.runModal(owner.hwnd()), 42);
  EXPECT_FALSE(ownerEnabledInside);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
  EXPECT_EQ(dialog.hwnd(), nullptr);  // discarded when it closes

  ASSERT_TRUE(dialog.make());
  PostMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.runModal(nullptr), 2);
  EXPECT_EQ(dialog.clicks, (std::vector<int>{111}));

  ASSERT_TRUE(dialog.make());
  PostQuitMessage(5);
  dialog.runModal(nullptr);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the main loop still sees it
  EXPECT_EQ(msg.wParam, 5u);
}

}  // namespace
}  // namespace tavo::win32
