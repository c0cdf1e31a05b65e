// The Win32 ports against real windows (run under Wine by ctest).
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "platform/win32/desktop_win32.h"
#include "platform/win32/ports_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

// A plain top-level window of its own class.
HWND makeWindow(std::u16string_view className, std::u16string_view title = u"plain") {
  const std::wstring cls = wide(className);
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls.c_str();
  RegisterClassW(&wc);  // already registered by an earlier test: fine
  HWND w = CreateWindowExW(0, cls.c_str(), wide(title).c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                           nullptr, wc.hInstance, nullptr);
  if (!w) ADD_FAILURE() << "no window: under Wine the tests need an X display (DISPLAY)";
  return w;
}

WindowHandle handle(HWND w) { return reinterpret_cast<WindowHandle>(w); }

TEST(Win32Desktop, TitlesRoundTripAndClassNamesAndMarksAreFound) {
  Win32Desktop desktop;
  const std::u16string longest(254, u'c');
  HWND window = makeWindow(longest);
  std::u16string into;  // one storage for every read, as the cycle keeps it
  for (const std::u16string& title : {std::u16string(u"無題 - メモ帳"), std::u16string(u"😀 and 𠮷 outside the BMP"),
                                      std::u16string(), std::u16string(255, u'x'),  // the first buffer, full
                                      std::u16string(5000, u'あ'), std::u16string(u"short after a long one")}) {
    desktop.setWindowTitle(handle(window), title);
    ASSERT_TRUE(desktop.readWindowTitle(handle(window), into));
    EXPECT_EQ(into, title) << "length " << title.size();
  }
  EXPECT_EQ(desktop.className(handle(window)), longest);
  EXPECT_EQ(desktop.findMarkedWindow(longest, u"Tavo.Test"), 0u);
  SetPropW(window, L"Tavo.Test", reinterpret_cast<HANDLE>(1));
  EXPECT_EQ(desktop.findMarkedWindow(longest, u"Tavo.Test"), handle(window));
  EXPECT_EQ(desktop.findMarkedWindow(u"TavoDesktopTest", u"Tavo.Test"), 0u);
  RemovePropW(window, L"Tavo.Test");
  DestroyWindow(window);
}

TEST(Win32Desktop, VanishedAndNullHandlesReadAsNothing) {
  Win32Desktop desktop;
  HWND window = makeWindow(u"TavoDesktopTest");
  DestroyWindow(window);
  for (WindowHandle w : {handle(window), WindowHandle{0}}) {
    std::u16string into = u"stale";
    EXPECT_FALSE(desktop.readWindowTitle(w, into));
    EXPECT_EQ(into, u"");
    EXPECT_EQ(desktop.className(w), u"");
    EXPECT_FALSE(desktop.windowRect(w).has_value());
    desktop.setWindowTitle(w, u"ignored");  // no effect, no crash
    desktop.flashWindow(w);
    desktop.setWindowPos(w, swp::kNoTopmost, 1, 2, swp::kNoSize);
  }
}

TEST(Win32Pump, DispatchesPendingAndKeepsTheQuitRequest) {
  static int seen = 0;
  HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(sink);
  SetWindowLongPtrW(sink, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP + 7) ++seen;
    return DefWindowProcW(w, m, wp, lp);
  }));
  PostMessageW(sink, WM_APP + 7, 0, 0);
  PostMessageW(sink, WM_APP + 7, 0, 0);
  PostQuitMessage(7);
  Win32Pump().yield();
  EXPECT_EQ(seen, 2);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(sink);
}

// The clock keeps the zone's offset for a minute instead of asking on every
// reading; it must still read what the system calls local time. (The test
// command runs this away from UTC, where a wrong offset shows.)
TEST(Win32Clock, ReadsTheLocalTime) {
  Win32Clock clock;
  for (int attempt = 0; attempt < 5; ++attempt) {
    SYSTEMTIME before{}, after{};
    GetLocalTime(&before);
    const DateTime first = clock.now(), kept = clock.now();
    GetLocalTime(&after);
    if (before.wSecond != after.wSecond) continue;  // a second turned over meanwhile
    const DateTime expected{before.wYear, before.wMonth, before.wDay, before.wHour, before.wMinute, before.wSecond};
    EXPECT_EQ(first, expected);
    EXPECT_EQ(kept, expected);
    return;
  }
  FAIL() << "the local time never held still for a reading";
}

}  // namespace
}  // namespace tavo::win32
