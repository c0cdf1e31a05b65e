// frmMain's Win32 view against its real fonts (under Wine by ctest).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "base/report.h"
#include "main/main_window_win32.h"
#include "platform/fake/fake_prompt.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

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
    RECT suggested{0, 0, 0, 0};
    GetWindowRect(window, &suggested);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    HDC dc = GetDC(window);
    for (const ControlSpec& c : mainControls()) {
      HWND h = view.control(c.id);
      std::wstring text = wide(c.caption);
      std::erase(text, L'&');
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
      SIZE size{};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
      SelectObject(dc, old);
      RECT r{};
      GetClientRect(h, &r);
      // Room the control itself needs beside its text: the box or circle of
      // options and check boxes, the edges of buttons and frames.
      const int margin = c.kind == ControlKind::Button  ? 6
                         : c.kind == ControlKind::Frame ? 16
                                                        : GetSystemMetrics(SM_CXMENUCHECK) + 6;
      EXPECT_LE(size.cx + margin * dpi / 96, r.right) << "control " << c.id << " at " << dpi << " dpi";
      if (c.kind != ControlKind::Frame) {
        EXPECT_LE(size.cy, r.bottom) << "control " << c.id << " at " << dpi << " dpi";
      }
    }
    ReleaseDC(window, dc);
  }
  DestroyWindow(window);
  // The view posts a quit request when it closes; keep it from the next test.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

}  // namespace
}  // namespace tavo::win32
