// Forms built from control tables, against real windows (under Wine by ctest).
#include <windows.h>
#include <imm.h>

#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/view_win32.h"

namespace tavo::win32 {
namespace {

using K = ControlKind;

// A form that records what reaches it.
class ProbeForm : public Form {
 public:
  std::vector<int> clicks;
  std::function<void()> onApp;

 protected:
  bool onKeyDown(unsigned vk, int shift) override { return vk == VK_F1; }
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

constexpr ControlSpec kDialog[] = {
    {K::Frame, 100, u"枠", 120, 120, 3000, 1400},
    {K::Option, 101, u"一(&1)", 180, 300, 1500, 312, 0, cf::kTabStop},
    {K::Option, 102, u"二(&2)", 180, 660, 1500, 312, 0, cf::kTabStop},
    {K::Label, 103, u"ラベル", 120, 1600, 1500, 300},
    {K::Text, 104, u"12", 1700, 1600, 1200, 312, kNoParent, cf::kTabStop | cf::kNumberOnly | cf::kImeOff, 5},
    {K::List, 105, u"", 120, 2000, 2800, 900, kNoParent, cf::kTabStop},
    {K::Check, 106, u"太字(&B)", 120, 3000, 1500, 312, kNoParent, cf::kTabStop | cf::kBold},
    {K::Button, 110, u"OK", 3300, 240, 1152, 492, kNoParent, cf::kTabStop | cf::kDefault},
    {K::Button, 111, u"Cancel", 3300, 780, 1152, 492, kNoParent, cf::kTabStop | cf::kCancel},
    {K::Button, 112, u"Off", 3300, 1320, 1152, 492, kNoParent, cf::kTabStop | cf::kDisabled},
};

bool make(ProbeForm& form, HWND owner = nullptr) {
  FormSpec spec;
  spec.className = L"TavoViewTestForm";
  spec.caption = u"試験";
  spec.clientWidthTwips = 4600;
  spec.clientHeightTwips = 3500;
  spec.controls = kDialog;
  return form.create(GetModuleHandleW(nullptr), spec, owner);
}

bool pressF1(HWND target) {
  MSG msg{};
  msg.hwnd = target;
  msg.message = WM_KEYDOWN;
  msg.wParam = VK_F1;
  return Form::preTranslate(msg);
}

TEST(ViewForm, ControlsAndFontsFollowTheTableAtEveryDpi) {
  ProbeForm form;
  ASSERT_TRUE(make(form)) << "no window: under Wine the tests need an X display (DISPLAY)";
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  HWND edit = form.control(104);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_NUMBER);
  EXPECT_EQ(ImmGetContext(edit), nullptr);
  EXPECT_EQ(form.text(104), u"12");
  for (int changeTo : {0, 144}) {
    if (changeTo) {
      RECT suggested{10, 20, 500, 400};
      SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(changeTo, changeTo), reinterpret_cast<LPARAM>(&suggested));
      EXPECT_EQ(form.dpi().y, changeTo);
    }
    const Dpi dpi = form.dpi();
    for (std::size_t i = 0; i < std::size(kDialog); ++i) {
      const TwipsRect t = controlRectTwips(kDialog, i);
      RECT r{};
      GetWindowRect(form.control(kDialog[i].id), &r);
      MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
      EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
                (std::vector<LONG>{twipsToPixels(t.left, dpi.x), twipsToPixels(t.top, dpi.y),
                                   twipsToPixels(t.right, dpi.x), twipsToPixels(t.bottom, dpi.y)}))
          << "row " << i << " at " << dpi.y;
    }
    RECT client{};
    GetClientRect(form.hwnd(), &client);
    EXPECT_EQ(client.right, twipsToPixels(4600, dpi.x));
    EXPECT_EQ(client.bottom, twipsToPixels(3500, dpi.y));
    for (auto [id, weight] : {std::pair{101, FW_NORMAL}, std::pair{106, FW_BOLD}}) {
      LOGFONTW lf{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.control(id), WM_GETFONT, 0, 0)), sizeof lf, &lf);
      EXPECT_EQ(lf.lfHeight, fontHeightPixels(9.6, dpi.y));
      EXPECT_EQ(lf.lfWeight, weight);
      EXPECT_EQ(lf.lfCharSet, SHIFTJIS_CHARSET);
    }
  }
}

TEST(ViewForm, OptionsExcludeEachOtherAndTheChosenOneIsTheTabStop) {
  ProbeForm form;
  ASSERT_TRUE(make(form));
  form.setChecked(106, true);
  form.setChecked(101, true);
  form.setChecked(102, true);
  EXPECT_FALSE(form.checked(101));
  EXPECT_TRUE(form.checked(102));
  EXPECT_TRUE(form.checked(106));  // a check box after the run is not part of it
  std::vector<int> order;
  HWND at = form.control(110);
  do {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(form.hwnd(), at, FALSE);
  } while (at && at != form.control(110) && order.size() < 20);
  // Labels, frames and disabled buttons are skipped.
  EXPECT_EQ(order, (std::vector<int>{110, 111, 102, 104, 105, 106}));
}

// Forms are found by their windows on every message (F1 in two forms at once
// is seen end to end). A form whose window is gone gets nothing, and one
// that goes with its window open takes the window along.
TEST(ViewForm, KeysReachOnlyTheLivingFormOfTheirWindow) {
  auto a = std::make_unique<ProbeForm>();
  ASSERT_TRUE(make(*a));
  EXPECT_TRUE(pressF1(a->control(104)));
  EXPECT_FALSE(pressF1(GetDesktopWindow()));
  HWND gone = a->hwnd();
  a->destroy();
  EXPECT_FALSE(pressF1(gone));
  ASSERT_TRUE(make(*a));
  gone = a->hwnd();
  a.reset();
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_FALSE(pressF1(gone));
}

TEST(ViewModal, OwnerDisabledUntilTheEndCloseBoxAsCancelQuitHandedOn) {
  ProbeForm owner, dialog;
  ASSERT_TRUE(make(owner));
  ASSERT_TRUE(make(dialog, owner.hwnd()));
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

  ASSERT_TRUE(make(dialog));
  PostMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.runModal(nullptr), 2);
  EXPECT_EQ(dialog.clicks, (std::vector<int>{111}));

  ASSERT_TRUE(make(dialog));
  PostQuitMessage(5);
  dialog.runModal(nullptr);
  EXPECT_EQ(dialog.hwnd(), nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the main loop still sees it
  EXPECT_EQ(msg.wParam, 5u);
}

}  // namespace
}  // namespace tavo::win32
