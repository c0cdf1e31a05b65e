// The windows' control tables: everything fits where it is drawn, nothing
// covers anything else, access keys are unique, and every caption fits its
// control in the real fonts (under Wine by ctest).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/report.h"
#include "base/text.h"
#include "dialogs/dialogs_win32.h"
#include "main/main_window_win32.h"
#include "platform/fake/fake_prompt.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

bool inside(const TwipsRect& in, const TwipsRect& out) {
  return in.left >= out.left && in.top >= out.top && in.right <= out.right && in.bottom <= out.bottom;
}

bool overlap(const TwipsRect& a, const TwipsRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(DialogTables, EveryControlFitsNothingOverlapsAccessKeysAreUnique) {
  struct Table {
    std::span<const ControlSpec> controls;
    int width, height;
    bool uniqueKeys;  // the main window has two "&A" of its own
  };
  for (const Table& t : {Table{detailsControls(), kDetailsClientWidthTwips, kDetailsClientHeightTwips, true},
                         Table{rosterControls(), kRosterClientWidthTwips, kRosterClientHeightTwips, true},
                         Table{mainControls(), kMainClientWidthTwips, kMainClientHeightTwips, false}}) {
    std::u16string keys;
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
      const ControlSpec& c = t.controls[i];
      const std::string name = utf8(c.caption) + " #" + std::to_string(c.id);
      const TwipsRect r = controlRectTwips(t.controls, i);
      EXPECT_TRUE(inside(r, {0, 0, t.width, t.height})) << name;
      if (c.parent != kNoParent) {
        EXPECT_TRUE(inside(r, controlRectTwips(t.controls, std::size_t(c.parent)))) << name;
      }
      for (std::size_t j = 0; j < i; ++j) {
        if (c.kind != ControlKind::Frame && t.controls[j].kind != ControlKind::Frame) {
          EXPECT_FALSE(overlap(r, controlRectTwips(t.controls, j))) << name << " covers #" << t.controls[j].id;
        }
      }
      const auto amp = c.caption.find(u'&');
      if (amp == std::u16string_view::npos || !t.uniqueKeys) continue;
      EXPECT_EQ(keys.find(c.caption[amp + 1]), std::u16string::npos) << name;
      keys.push_back(c.caption[amp + 1]);
    }
  }
}

TEST(MainForm, ParkedAndEveryCaptionFitsItsControlAtNormalAndLargeDpi) {
  fake::FakePrompt prompt;
  Boxes boxes(prompt);
  Reporter reporter(boxes, Version{1, 63, 2485});
  MainWindowView view(reporter);
  ASSERT_TRUE(view.create(GetModuleHandleW(nullptr))) << "no window: under Wine the tests need an X display (DISPLAY)";
  const HWND window = view.hwnd();
  view.park();  // off the screen while it starts minimised
  RECT parked{};
  GetWindowRect(window, &parked);
  EXPECT_EQ(parked.right, 0);
  for (int dpi : {96, 144}) {
    RECT suggested{};
    GetWindowRect(window, &suggested);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    WindowDc dc = windowDc(window);
    for (const ControlSpec& c : mainControls()) {
      HWND h = view.control(c.id);
      std::wstring text = wide(c.caption);
      std::erase(text, L'&');
      HGDIOBJ old = SelectObject(dc.get(), reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
      SIZE size{};
      GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc.get(), old);
      RECT r{};
      GetClientRect(h, &r);
      // Room the control itself needs beside its text: the box or circle of
      // options and check boxes, the edges of buttons and frames.
      const int margin = c.kind == ControlKind::Button  ? 6
                         : c.kind == ControlKind::Frame ? 16
                                                        : GetSystemMetrics(SM_CXMENUCHECK) + 6;
      EXPECT_LE(size.cx + margin * dpi / 96, r.right) << "control " << c.id << " at " << dpi << " dpi";
      if (c.kind != ControlKind::Frame) {
        EXPECT_LE(size.cy, r.bottom) << "control " << c.id << " at " << dpi;
      }
    }
  }
  view.destroy();
  // The view posts a quit request when it closes; keep it from the next test.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace tavo::win32
