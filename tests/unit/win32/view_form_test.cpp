// Forms built from control tables, against real windows (under Wine by ctest).
#include <windows.h>
#include <imm.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/view_win32.h"

namespace tavo::win32 {
namespace {

using K = ControlKind;

MSG message(HWND target, UINT m, WPARAM wp, LPARAM lp) {
  MSG msg{};
  msg.hwnd = target;
  msg.message = m;
  msg.wParam = wp;
  msg.lParam = lp;
  return msg;
}

TEST(ViewUnits, TwipsAndPixelsRoundToTheNearest) {
  struct Case {
    int twips, dpi, pixels;
  };
  for (auto c : {Case{1440, 96, 96}, Case{15, 96, 1}, Case{7, 96, 0}, Case{8, 96, 1}, Case{-8, 96, -1},
                 Case{-7, 96, 0}, Case{312, 144, 31}, Case{4992, 96, 333}, Case{4992, 144, 499},
                 Case{3312, 120, 276}, Case{1440 * 1000, 192, 192000}}) {
    EXPECT_EQ(twipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " twips at " << c.dpi;
  }
  EXPECT_EQ(pixelsToTwips(1, 96), 15);
  EXPECT_EQ(pixelsToTwips(1, 144), 10);
  EXPECT_EQ(pixelsToTwips(-333, 96), -4995);
  EXPECT_EQ(pixelsToTwips(5, 0), 0);  // no division by zero
  // A whole number of pixels survives the round trip at every common DPI.
  for (int dpi : {96, 120, 144, 168, 192, 288})
    for (int px = -50; px <= 2000; px += 7) EXPECT_EQ(twipsToPixels(pixelsToTwips(px, dpi), dpi), px) << dpi;
}

constexpr ControlSpec kNested[] = {
    {K::Frame, 100, u"outer", 100, 200, 3000, 3000},
    {K::Frame, 101, u"inner", 50, 60, 2000, 2000, 0},
    {K::Option, 102, u"a", 10, 20, 500, 300, 1},
    {K::Label, 103, u"broken parent", 5, 5, 100, 100, 7},  // no such frame: placed as if on the form
};

TEST(ViewTable, ChildrenArePlacedRelativeToTheirFrames) {
  const RECT r = controlRectTwips(kNested, 2), broken = controlRectTwips(kNested, 3);
  EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right, r.bottom}), std::vector<LONG>({160, 280, 660, 580}));
  EXPECT_EQ(std::vector<LONG>({broken.left, broken.top}), std::vector<LONG>({5, 5}));
}

// Two option runs in one frame, separated by a check box, then buttons.
constexpr ControlSpec kGroups[] = {
    {K::Frame, 100, u"f", 0, 0, 3000, 3000},
    {K::Option, 101, u"a", 0, 0, 10, 10, 0},
    {K::Option, 102, u"b", 0, 0, 10, 10, 0},
    {K::Check, 103, u"c", 0, 0, 10, 10, 0},
    {K::Option, 104, u"d", 0, 0, 10, 10, 0},
    {K::Option, 105, u"e", 0, 0, 10, 10, 0},
    {K::Button, 106, u"g", 0, 0, 10, 10, 0},
    {K::Button, 107, u"h", 0, 0, 10, 10},
    {K::Button, 108, u"i", 0, 0, 10, 10, kNoParent, cf::kGroup},
    {K::Option, 109, u"j", 0, 0, 10, 10},
};

TEST(ViewTable, GroupsBeginAtFramesOptionRunsAndParentChanges) {
  const bool expected[] = {true, true, false, true, true, false, true, true, true, true};
  for (std::size_t i = 0; i < std::size(kGroups); ++i) EXPECT_EQ(startsGroup(kGroups, i), expected[i]) << "row " << i;
}

// A form that records what reaches it.
class ProbeForm : public Form {
 public:
  std::vector<std::pair<unsigned, int>> keys;
  std::vector<int> clicks;
  int dpiChanges = 0;
  bool swallowF1 = true;
  std::function<void(int)> onClick;
  std::function<void()> onApp;
  int timers = 0;

 protected:
  bool onKeyDown(unsigned vk, int shift) override {
    keys.emplace_back(vk, shift);
    return swallowF1 && vk == VK_F1;
  }
  void onCommand(int id, int code) override {
    if (code != BN_CLICKED) return;
    clicks.push_back(id);
    if (onClick) onClick(id);
  }
  std::optional<LRESULT> onMessage(UINT m, WPARAM, LPARAM) override {
    if (m == WM_TIMER) ++timers;
    if (m == WM_APP && onApp) {
      onApp();
      return 0;
    }
    return std::nullopt;
  }
  void onDpiChanged() override { ++dpiChanges; }
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

FormSpec dialogSpec() {
  FormSpec spec;
  spec.className = L"TavoViewTestForm";
  spec.caption = u"試験";
  spec.clientWidthTwips = 4600;
  spec.clientHeightTwips = 3500;
  spec.controls = kDialog;
  return spec;
}

class ViewForm : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(form.create(GetModuleHandleW(nullptr), dialogSpec()))
        << "no window: under Wine the tests need an X display (DISPLAY)";
  }

  // A key as the message loop would see it, aimed at the focused control.
  void press(UINT vk, HWND target) {
    MSG msg = message(target, WM_KEYDOWN, vk, 1);
    dispatchFormMessage(msg);
    MSG up = message(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    dispatchFormMessage(up);
  }

  POINT origin(int id) {
    RECT r{};
    GetWindowRect(form.control(id), &r);
    MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top};
  }

  ProbeForm form;
};

TEST_F(ViewForm, ControlsSitWhereTheTableSaysAtTheWindowsDpi) {
  const Dpi dpi = form.dpi();
  for (std::size_t i = 0; i < std::size(kDialog); ++i) {
    RECT t = controlRectTwips(kDialog, i);
    HWND c = form.control(kDialog[i].id);
    ASSERT_NE(c, nullptr) << "row " << i;
    RECT r{};
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, twipsToPixels(t.left, dpi.x)) << "row " << i;
    EXPECT_EQ(r.top, twipsToPixels(t.top, dpi.y)) << "row " << i;
    EXPECT_EQ(r.right, twipsToPixels(t.right, dpi.x)) << "row " << i;
    EXPECT_EQ(r.bottom, twipsToPixels(t.bottom, dpi.y)) << "row " << i;
  }
  RECT client{};
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, twipsToPixels(4600, dpi.x));
  EXPECT_EQ(client.bottom, twipsToPixels(3500, dpi.y));
  EXPECT_FALSE(IsWindowVisible(form.hwnd()));
  // The text box: its limit, digits only, no input method.
  HWND edit = form.control(104);
  EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), 5);
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_NUMBER);
  EXPECT_EQ(ImmGetContext(edit), nullptr);
  EXPECT_EQ(form.text(104), u"12");
}

TEST_F(ViewForm, TabOrderIsTableOrderWithoutDisabledOrNonStops) {
  form.setChecked(102, true);
  std::vector<int> order;
  HWND start = form.control(110);
  HWND at = start;
  do {
    order.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(form.hwnd(), at, FALSE);
  } while (at && at != start && order.size() < 20);
  // The selected option stands for its group; labels, frames and disabled buttons are skipped.
  EXPECT_EQ(order, (std::vector<int>{110, 111, 102, 104, 105, 106}));
}

TEST_F(ViewForm, OptionsOfAGroupExcludeEachOther) {
  form.setChecked(101, true);
  form.setChecked(102, true);
  EXPECT_FALSE(form.checked(101));
  EXPECT_TRUE(form.checked(102));
  // The selected option is the group's only tab stop, on every system.
  auto tabStop = [&](int id) { return (GetWindowLongPtrW(form.control(id), GWL_STYLE) & WS_TABSTOP) != 0; };
  EXPECT_FALSE(tabStop(101));
  EXPECT_TRUE(tabStop(102));
  // A check box after the run is not part of it.
  form.setChecked(106, true);
  form.setChecked(101, true);
  EXPECT_TRUE(form.checked(106));
  EXPECT_FALSE(form.checked(102));
}

TEST_F(ViewForm, FontsFollowTheSpecAndTheDpi) {
  auto logFont = [&](int id) {
    LOGFONTW lf{};
    auto f = reinterpret_cast<HFONT>(SendMessageW(form.control(id), WM_GETFONT, 0, 0));
    EXPECT_NE(f, nullptr);
    GetObjectW(f, sizeof lf, &lf);
    return lf;
  };
  LOGFONTW regular = logFont(101);
  EXPECT_EQ(regular.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(regular.lfHeight, fontHeightPixels(9.6, form.dpi().y));
  EXPECT_EQ(logFont(106).lfWeight, FW_BOLD);
  form.setBold(106, false);
  EXPECT_EQ(logFont(106).lfWeight, FW_NORMAL);
}

TEST_F(ViewForm, KeysReachTheFormBeforeAnyControl) {
  SetFocus(form.control(104));
  press(VK_F1, form.control(104));
  press(VK_F1, form.control(105));
  ASSERT_GE(form.keys.size(), 2u);
  EXPECT_EQ(form.keys[0].first, static_cast<unsigned>(VK_F1));
  EXPECT_EQ(form.keys[0].second, 0);
  EXPECT_EQ(form.keys[1].first, static_cast<unsigned>(VK_F1));
  // Messages of windows that are not forms pass untouched.
  MSG other = message(GetDesktopWindow(), WM_KEYDOWN, VK_F1, 1);
  EXPECT_FALSE(Form::preTranslate(other));
  EXPECT_EQ(form.keys.size(), 2u);
}

TEST_F(ViewForm, TabMovesTheFocusAndActivationBringsItBack) {
  ShowWindow(form.hwnd(), SW_SHOWNORMAL);
  SendMessageW(form.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 101);  // the first tab stop
  press(VK_TAB, GetFocus());
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 104);  // one stop per option group
  press(VK_TAB, GetFocus());
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 105);
  SendMessageW(form.hwnd(), WM_ACTIVATE, WA_INACTIVE, 0);
  SetFocus(nullptr);
  SendMessageW(form.hwnd(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(GetDlgCtrlID(GetFocus()), 105);
}

TEST_F(ViewForm, ADpiChangeRescalesFontsAndLayout) {
  RECT suggested{10, 20, 500, 400};
  SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(form.dpi().x, 144);
  EXPECT_EQ(form.dpiChanges, 1);
  EXPECT_EQ(origin(101).x, twipsToPixels(300, 144));
  EXPECT_EQ(origin(101).y, twipsToPixels(420, 144));
  LOGFONTW lf{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form.control(110), WM_GETFONT, 0, 0)), sizeof lf, &lf);
  EXPECT_EQ(lf.lfHeight, -19);
  RECT client{};
  GetClientRect(form.hwnd(), &client);
  EXPECT_EQ(client.right, twipsToPixels(4600, 144));
}

TEST(ViewModal, DisablesTheOwnerUntilEndedAndReturnsTheResult) {
  ProbeForm owner;
  FormSpec ownerSpec;
  ownerSpec.className = L"TavoViewTestOwner";
  ownerSpec.clientWidthTwips = 3000;
  ownerSpec.clientHeightTwips = 2000;
  ASSERT_TRUE(owner.create(GetModuleHandleW(nullptr), ownerSpec));

  ProbeForm dialog;
  ASSERT_TRUE(dialog.create(GetModuleHandleW(nullptr), dialogSpec(), owner.hwnd()));
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
}

TEST(ViewModal, TheCloseBoxActsAsCancelAndAQuitRequestIsHandedOn) {
  const FormSpec spec = dialogSpec();
  ProbeForm dialog;
  ASSERT_TRUE(dialog.create(GetModuleHandleW(nullptr), spec));
  dialog.onClick = [&](int id) {
    if (id == 111) dialog.endModal(2);
  };
  PostMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog.runModal(nullptr), 2);
  EXPECT_EQ(dialog.clicks, (std::vector<int>{111}));

  ProbeForm quitting;
  ASSERT_TRUE(quitting.create(GetModuleHandleW(nullptr), spec));
  PostQuitMessage(5);
  quitting.runModal(nullptr);
  EXPECT_EQ(quitting.hwnd(), nullptr);
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the main loop still sees it
  EXPECT_EQ(msg.wParam, 5u);
}

// Forms are found by their windows on every message; two forms, one of them
// closed and made again, must each keep getting their own.
TEST(ViewFormWindows, EachFormGetsItsOwnMessagesUntilItsWindowIsGone) {
  FormSpec spec;
  spec.className = L"TavoViewTestForm";
  spec.clientWidthTwips = 4600;
  spec.clientHeightTwips = 3500;
  spec.controls = kDialog;
  ProbeForm a, b;
  ASSERT_TRUE(a.create(GetModuleHandleW(nullptr), spec));
  ASSERT_TRUE(b.create(GetModuleHandleW(nullptr), spec));
  auto f1 = [](Form& form) {
    MSG key = message(form.control(104), WM_KEYDOWN, VK_F1, 1);
    return Form::preTranslate(key);
  };
  EXPECT_TRUE(f1(a)) << "making a second form lost the first";
  EXPECT_TRUE(f1(b));
  EXPECT_EQ(a.keys.size(), 1u);
  EXPECT_EQ(b.keys.size(), 1u);

  HWND gone = a.hwnd();
  a.destroy();
  MSG stale = message(gone, WM_KEYDOWN, VK_F1, 1);
  EXPECT_FALSE(Form::preTranslate(stale));
  EXPECT_EQ(a.keys.size(), 1u);
  EXPECT_TRUE(f1(b)) << "closing one form lost the other";
  EXPECT_EQ(b.keys.size(), 2u);

  ASSERT_TRUE(a.create(GetModuleHandleW(nullptr), spec));
  EXPECT_TRUE(f1(a));
  EXPECT_TRUE(f1(b)) << "making a form again lost the other";
  EXPECT_EQ(a.keys.size(), 2u);
  EXPECT_EQ(b.keys.size(), 3u);

  // The polling timer's path: the thread's message loop.
  SetTimer(a.hwnd(), 1, 10, nullptr);
  const DWORD deadline = GetTickCount() + 5000;
  MSG msg;
  while (a.timers == 0 && GetTickCount() < deadline) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) dispatchFormMessage(msg);
    else Sleep(5);
  }
  KillTimer(a.hwnd(), 1);
  EXPECT_GT(a.timers, 0);
  EXPECT_EQ(b.timers, 0);
}

}  // namespace
}  // namespace tavo::win32
