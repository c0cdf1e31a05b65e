// frmMain's Win32 view driving the real main-window logic over fakes
// (under Wine by ctest).
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/report.h"
#include "main/app_state.h"
#include "main/cycle.h"
#include "main/main_window.h"
#include "main/main_window_win32.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"
#include "platform/win32/wide_win32.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo::win32 {
namespace {

using namespace main_id;

// The table itself: every control inside the client area, every child inside
// its frame, and no two siblings on top of each other.
TEST(MainTable, ControlsFitTheirFramesAndDoNotOverlap) {
  auto controls = mainControls();
  const RECT client{0, 0, kMainClientWidthTwips, kMainClientHeightTwips};
  auto inside = [](const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
  };
  for (std::size_t i = 0; i < controls.size(); ++i) {
    RECT r = controlRectTwips(controls, i);
    EXPECT_TRUE(inside(r, client)) << "row " << i;
    if (controls[i].parent != kNoParent) {
      EXPECT_TRUE(inside(r, controlRectTwips(controls, static_cast<std::size_t>(controls[i].parent)))) << "row " << i;
    }
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      if (controls[i].parent != controls[j].parent) continue;
      RECT o = controlRectTwips(controls, j), cut{};
      EXPECT_FALSE(IntersectRect(&cut, &r, &o)) << "rows " << i << " and " << j;
    }
  }
}

class NullSound : public Sound {
 public:
  void playWave(std::u16string_view, bool) override {}
};

class RecordingShell : public Shell {
 public:
  void open(std::u16string_view file, std::u16string_view arguments) override { opened.emplace_back(file); }
  std::vector<std::u16string> opened;
};

class FixedHost : public Host {
 public:
  std::u16string programDirectory() override { return u"C:\\Tavo"; }
  Version version() override { return {1, 63, 2485}; }
  bool anotherInstanceRunning() override { return false; }
};

class MainForm : public ::testing::Test {
 protected:
  MainForm()
      : settings(store),
        boxes(prompt),
        reporter(boxes, Version{1, 63, 2485}),
        cycle(state, desktop, clock, resources, reporter, signals),
        view(reporter),
        logic(view, state, settings, reporter, host, sound, shell, cycle) {}

  void SetUp() override {
    ASSERT_TRUE(view.create(GetModuleHandleW(nullptr)))
        << "no window: under Wine the tests need an X display (DISPLAY)";
    view.attach(logic);
    view.park();
    logic.Form_Load();
    // settle() only where a test needs it: under Wine without a window
    // manager every hide of a shown window waits two seconds.
  }

  void TearDown() override {
    // The view posts a quit request when it closes; keep it from the next test.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  HWND window() const { return view.hwnd(); }

  void press(UINT vk, HWND target, int shift = 0) {
    BYTE keys[256]{};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = (shift & 1) ? 0x80 : 0;
    keys[VK_CONTROL] = (shift & 2) ? 0x80 : 0;
    keys[VK_MENU] = (shift & 4) ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG msg{};
    msg.hwnd = target;
    msg.message = (shift & 4) ? WM_SYSKEYDOWN : WM_KEYDOWN;
    msg.wParam = vk;
    msg.lParam = 1;
    dispatchFormMessage(msg);
    keys[VK_SHIFT] = keys[VK_CONTROL] = keys[VK_MENU] = 0;
    SetKeyboardState(keys);
  }

  std::u16string stored(const KeyDef& key) { return settings.get(key.section, key.name, u"<none>"); }

  // Shows the window as a second start does.
  void reopen() {
    ShowWindow(window(), SW_SHOWNORMAL);
    SetForegroundWindow(window());
  }

  MemoryStore store;
  Settings settings;
  fake::FakePrompt prompt;
  Boxes boxes;
  Reporter reporter;
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakeResources resources;
  fake::RecordingSignals signals;
  FixedHost host;
  NullSound sound;
  RecordingShell shell;
  AppState state;
  CaptionCycle cycle;
  MainWindowView view;
  MainWindow logic;
};

TEST_F(MainForm, StartsHiddenMinimisedAndParkedWithTheStoredChoices) {
  RECT r{};
  GetWindowRect(window(), &r);
  EXPECT_EQ(r.right, 0);  // parked: its left edge at minus its width
  view.settle();
  EXPECT_FALSE(IsWindowVisible(window()));
  EXPECT_TRUE(IsIconic(window()));
  EXPECT_EQ(view.caption(), u"Tavo");
  EXPECT_TRUE(view.checked(kOptInterval + 1));  // 250 ms, the default
  EXPECT_TRUE(view.checked(kOptTaste + 0));
  EXPECT_FALSE(view.checked(kChkRight));
  wchar_t cls[64]{};
  GetClassNameW(window(), cls, 64);
  EXPECT_EQ(std::wstring(cls), L"ThunderRT6FormDC");
}

TEST_F(MainForm, ReopenedItIsCentredWithItsCaptionBack) {
  view.settle();
  SetWindowTextW(window(), L"12:00 = Tavo");  // as the clock cycle leaves it
  reopen();
  EXPECT_TRUE(IsWindowVisible(window()));
  EXPECT_FALSE(IsIconic(window()));
  EXPECT_EQ(view.caption(), u"Tavo");
  RECT r{};
  GetWindowRect(window(), &r);
  const int expectX = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
  const int expectY = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
  EXPECT_NEAR(r.left, expectX, 1);
  EXPECT_NEAR(r.top, expectY, 1);
  RECT client{};
  GetClientRect(window(), &client);
  EXPECT_EQ(client.right, view.pxX(kMainClientWidthTwips));
  EXPECT_EQ(client.bottom, view.pxY(kMainClientHeightTwips));
}

TEST_F(MainForm, ClicksReachTheLogicAndEnterStoresThem) {
  reopen();
  SendMessageW(view.control(kOptInterval + 0), BM_CLICK, 0, 0);
  SendMessageW(view.control(kOptTaste + 1), BM_CLICK, 0, 0);
  SendMessageW(view.control(kChkRight), BM_CLICK, 0, 0);
  EXPECT_EQ(state.checkInterval, 50);
  EXPECT_EQ(state.clockRight, 1);  // in force at once
  EXPECT_TRUE(store.valueCount() == 0);
  // Enter on an option button is the default button, OK.
  SetFocus(view.control(kOptTaste + 1));
  press(VK_RETURN, view.control(kOptTaste + 1));
  EXPECT_FALSE(IsWindowVisible(window()));
  EXPECT_EQ(stored(keys::kCheckInterval), u"50");
  EXPECT_EQ(stored(keys::kUserTaste), u"1");
  EXPECT_EQ(stored(keys::kClockRight), u"1");
}

TEST_F(MainForm, EscIsCancelAndBringsTheStoredChoicesBack) {
  reopen();
  SendMessageW(view.control(kOptInterval + 2), BM_CLICK, 0, 0);
  SendMessageW(view.control(kChkRight), BM_CLICK, 0, 0);
  SetFocus(view.control(kChkRight));
  press(VK_ESCAPE, view.control(kChkRight));
  EXPECT_FALSE(IsWindowVisible(window()));
  EXPECT_TRUE(view.checked(kOptInterval + 1));
  EXPECT_FALSE(view.checked(kOptInterval + 2));
  EXPECT_FALSE(view.checked(kChkRight));
  EXPECT_EQ(state.clockRight, 0);
  EXPECT_EQ(store.valueCount(), 0u);
}

TEST_F(MainForm, F1OpensHelpFromAnyControlButNotWithShiftCtrlOrAlt) {
  reopen();
  const std::u16string help = u"C:\\Tavo\\TavoHELP\\index.html";
  for (int id : {kOptInterval + 0, kChkRight, kCmdToSet + 1, kCmdMain + 3}) {
    shell.opened.clear();
    SetFocus(view.control(id));
    press(VK_F1, view.control(id));
    EXPECT_EQ(shell.opened, std::vector<std::u16string>{help}) << "focus on " << id;
  }
  shell.opened.clear();
  for (int shift : {1, 2, 4}) press(VK_F1, view.control(kCmdMain + 0), shift);
  EXPECT_TRUE(shell.opened.empty());
}

TEST_F(MainForm, DialogButtonsGoThroughTheHook) {
  std::vector<int> opened;
  SendMessageW(view.control(kCmdToSet + 0), BM_CLICK, 0, 0);  // no hook yet: nothing happens
  view.openSettingsDialogHook = [&](int index) { opened.push_back(index); };
  SendMessageW(view.control(kCmdToSet + 0), BM_CLICK, 0, 0);
  SendMessageW(view.control(kCmdToSet + 1), BM_CLICK, 0, 0);
  EXPECT_EQ(opened, (std::vector<int>{0, 1}));
}

TEST_F(MainForm, TimersRunTheirHandlers) {
  int ticks = 0;
  view.setTimerHandler(kMainTimerId, [&] { ++ticks; });
  SendMessageW(window(), WM_TIMER, kMainTimerId, 0);
  SendMessageW(window(), WM_TIMER, 99, 0);  // not ours: ignored
  EXPECT_EQ(ticks, 1);
}

TEST_F(MainForm, ClosingUnloadsOnceAndEndsTheLoop) {
  desktop.open(u"Notepad", u"memo");
  cycle.tmrMain_Timer();
  const std::u16string withClock = desktop.title(desktop.foregroundWindow());
  ASSERT_NE(withClock, u"memo");
  PostMessageW(window(), WM_CLOSE, 0, 0);
  MSG msg;
  bool quit = false;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatchFormMessage(msg);
  quit = msg.message == WM_QUIT;
  EXPECT_TRUE(quit);
  EXPECT_EQ(window(), nullptr);
  EXPECT_EQ(desktop.title(desktop.foregroundWindow()), u"memo");
  EXPECT_EQ(stored(keys::kTavoDirPath), u"C:\\Tavo\\");
  EXPECT_EQ(stored(keys::kVersion), u"1.63.2485");
  EXPECT_EQ(store.writeCount, 2);
}

TEST_F(MainForm, EveryCaptionFitsItsControlAtNormalAndLargeDpi) {
  auto controls = mainControls();
  for (int dpi : {96, 144}) {
    RECT suggested{0, 0, 0, 0};
    GetWindowRect(window(), &suggested);
    SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    HDC dc = GetDC(window());
    for (const ControlSpec& c : controls) {
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
      int margin = c.kind == ControlKind::Button ? 6 : c.kind == ControlKind::Frame ? 16 : GetSystemMetrics(SM_CXMENUCHECK) + 6;
      EXPECT_LE(size.cx + margin * dpi / 96, r.right) << "control " << c.id << " at " << dpi << " dpi";
      if (c.kind != ControlKind::Frame) {
        EXPECT_LE(size.cy, r.bottom) << "control " << c.id << " at " << dpi << " dpi";
      }
    }
    ReleaseDC(window(), dc);
  }
}

}  // namespace
}  // namespace tavo::win32
