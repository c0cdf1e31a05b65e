// The Win32 ports against real windows (run under Wine by ctest).
#include <windows.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/win32/desktop_win32.h"
#include "platform/win32/ports_win32.h"
#include "platform/win32/wide_win32.h"

namespace tavo::win32 {
namespace {

using namespace std::chrono_literals;
using Ms = std::chrono::milliseconds;

constexpr UINT kHangMessage = WM_APP + 1;

// A top-level window on a thread of its own, so the test can hang that thread.
class WindowThread {
 public:
  explicit WindowThread(std::u16string className = u"TavoDesktopTest", std::u16string title = u"plain")
      : className_(wide(className)) {
    std::promise<HWND> created;
    auto ready = created.get_future();
    thread_ = std::thread([&, title = wide(title)] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &WindowThread::proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = className_.c_str();
      RegisterClassW(&wc);  // already registered by an earlier window: fine
      HWND w = CreateWindowExW(0, className_.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW, 10, 10, 300, 200, nullptr,
                               nullptr, wc.hInstance, this);
      created.set_value(w);
      if (!w) return;
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    });
    hwnd_ = ready.get();
    if (!hwnd_) ADD_FAILURE() << "no window: under Wine the tests need an X display (DISPLAY)";
  }
  ~WindowThread() {
    if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
  }
  WindowHandle handle() const { return reinterpret_cast<WindowHandle>(hwnd_); }
  // Makes the window's thread sleep without looking at its messages.
  void hang(Ms duration) { PostMessageW(hwnd_, kHangMessage, static_cast<WPARAM>(duration.count()), 0); }
  // Runs a no-op through the thread: returns once it handles messages again.
  void sync() { SendMessageW(hwnd_, WM_NULL, 0, 0); }
  void destroy() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    thread_.join();
    thread_ = std::thread([] {});
    hwnd_ = nullptr;
  }
  int setTextCount() const { return setTexts_; }

 private:
  static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_NCCREATE)
      SetWindowLongPtrW(w, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<WindowThread*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    switch (m) {
      case kHangMessage:
        Sleep(static_cast<DWORD>(wp));
        return 0;
      case WM_SETTEXT:
        if (self) ++self->setTexts_;
        break;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
  }

  std::wstring className_;
  std::thread thread_;
  HWND hwnd_ = nullptr;
  std::atomic<int> setTexts_{0};
};

template <class F>
Ms timed(F&& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration_cast<Ms>(std::chrono::steady_clock::now() - start);
}

TEST(Win32Desktop, TitlesRoundTripExactly) {
  Win32Desktop desktop;
  WindowThread window;
  const std::u16string cases[] = {
      u"無題 - メモ帳",
      u"ｽﾍﾟﾙﾁｪｯｸ",
      u"emoji 😀 and 𠮷 outside the BMP",  // surrogate pairs survive both ways
      u"",
      std::u16string(255, u'x'),  // the first read buffer is exactly full
      std::u16string(5000, u'あ'),
      u"short after a long one",
  };
  std::u16string into;  // one storage for every read, as the cycle keeps it
  for (const auto& title : cases) {
    desktop.setWindowTitle(window.handle(), title);
    ASSERT_TRUE(desktop.readWindowTitle(window.handle(), into));
    EXPECT_EQ(into, title) << "length " << title.size();
    EXPECT_EQ(desktop.windowTitle(window.handle()), title);
  }
}

TEST(Win32Desktop, ClassNamesAndMarks) {
  Win32Desktop desktop;
  const std::u16string longest(254, u'c');
  WindowThread marked(longest, u"ｽﾍﾟﾙﾁｪｯｸ");
  EXPECT_EQ(desktop.className(marked.handle()), longest);
  EXPECT_EQ(desktop.findMarkedWindow(longest, u"Tavo.Test"), 0u);
  SetPropW(reinterpret_cast<HWND>(marked.handle()), L"Tavo.Test", reinterpret_cast<HANDLE>(1));
  EXPECT_EQ(desktop.findMarkedWindow(longest, u"Tavo.Test"), marked.handle());
  EXPECT_EQ(desktop.findMarkedWindow(u"TavoDesktopTest", u"Tavo.Test"), 0u);
}

TEST(Win32Desktop, VanishedAndNullHandlesReadAsNothing) {
  Win32Desktop desktop;
  WindowThread window;
  WindowHandle gone = window.handle();
  window.destroy();
  for (WindowHandle w : {gone, WindowHandle{0}}) {
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

// The cycle reads and writes the foreground window's title on every change;
// a program that stopped answering must not stop Tavo.
TEST(Win32Desktop, HungWindowNeitherBlocksNorChanges) {
  Win32Desktop desktop(150);
  WindowThread window(u"TavoDesktopTest", u"before the hang");
  window.sync();
  window.hang(1500ms);
  std::this_thread::sleep_for(100ms);  // the thread is asleep now

  std::optional<std::u16string> read;
  EXPECT_LT(timed([&] { read = desktop.windowTitle(window.handle()); }), 100ms);
  EXPECT_EQ(read, u"before the hang");
  EXPECT_EQ(desktop.className(window.handle()), u"TavoDesktopTest");
  WindowHandle found = 0;
  EXPECT_LT(timed([&] { found = desktop.findWindow(u"TavoDesktopTest", u"before the hang"); }), 100ms);
  EXPECT_EQ(found, window.handle());

  int writes = window.setTextCount();
  EXPECT_LT(timed([&] { desktop.setWindowTitle(window.handle(), u"21:05 = while hung"); }), 700ms);

  window.sync();  // the thread woke up and handled whatever was queued
  EXPECT_EQ(window.setTextCount(), writes) << "a write that timed out arrived later";
  EXPECT_EQ(desktop.windowTitle(window.handle()), u"before the hang");

  desktop.setWindowTitle(window.handle(), u"21:06 = awake");
  EXPECT_EQ(desktop.windowTitle(window.handle()), u"21:06 = awake");
}

TEST(Win32Pump, DispatchesPendingAndKeepsTheQuitRequest) {
  WindowThread unrelated;  // another thread's messages are not ours to run
  int seen = 0;
  HWND sink = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(sink);
  SetWindowLongPtrW(sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
  SetWindowLongPtrW(sink, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m == WM_APP + 7) ++*reinterpret_cast<int*>(GetWindowLongPtrW(w, GWLP_USERDATA));
    return DefWindowProcW(w, m, wp, lp);
  }));
  PostMessageW(sink, WM_APP + 7, 0, 0);
  PostMessageW(sink, WM_APP + 7, 0, 0);
  PostQuitMessage(7);

  Win32Pump pump;
  pump.yield();
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
    const DateTime first = clock.now();
    const DateTime kept = clock.now();
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
