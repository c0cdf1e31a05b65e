// The main window's logic against the fakes: the hand-over to a running
// Tavo, the choices and the store, the buttons, keys, resizing and the order
// of unloading.
#include "main/main_window.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "main/startup.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_views.h"
#include "platform/fake/recording_signals.h"
#include "report_text.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

class MainWindowTest : public ::testing::Test, public OtherInstance {
 protected:
  void postClose(WindowHandle w) override { handedOver.push_back(u"close " + decimal(static_cast<long>(w))); }
  void showNormal(WindowHandle w) override {
    EXPECT_TRUE(desktop.moves.empty()) << "shown before it is raised";
    handedOver.push_back(u"show " + decimal(static_cast<long>(w)));
  }

  void set(const KeyDef& key, std::u16string_view value) { settings.save(key.section, key.name, value); }
  std::u16string stored(const KeyDef& key) { return settings.get(key.section, key.name, u"(none)"); }
  // After start-up, with nothing written or shown yet.
  void loaded() {
    window.Form_Load();
    store.writeCount = 0;
    view.log.clear();
  }
  bool reported(std::u16string_view location, int number) const {
    return test::reportCount(prompt.shown, location, number) > 0;
  }

  MemoryStore store;
  Settings settings{store};
  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{1, 70, 1}};
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakeResources resources;
  fake::RecordingSignals signals;
  AppState state;
  CaptionCycle cycle{state, desktop, clock, resources, reporter, signals};
  fake::LaunchLog launches;
  fake::LogSound sound{launches};
  fake::LogShell shell{launches};
  fake::FakeHost host;
  fake::FakeMainView view;
  MainWindow window{view, state, settings, reporter, host, sound, shell, cycle};
  std::vector<std::u16string> handedOver;
};

TEST_F(MainWindowTest, SecondStartHandsOverToTheFirstAndTouchesNoSetting) {
  desktop.open(u"ThunderRT6FormDC", u"TavoNS", false);  // a Tavo still starting is not the one
  const WindowHandle first = desktop.open(u"ThunderRT6FormDC", u"Tavo", false);
  desktop.open(u"Notepad", u"memo");
  host.another = true;
  EXPECT_FALSE(window.start(u"", desktop, *this));
  EXPECT_EQ(desktop.foregroundWindow(), first);
  // In front, the first one's title carries the clock: found by its mark.
  desktop.rename(first, u"21:05 = Tavo");
  desktop.markWindow(first, std::u16string(kMainWindowMark));
  EXPECT_FALSE(window.start(u" /X ", desktop, *this));
  const std::u16string id = decimal(static_cast<long>(first));
  EXPECT_EQ(handedOver, (std::vector<std::u16string>{u"show " + id, u"close " + id}));

  host.another = false;
  EXPECT_FALSE(window.start(u"/x", desktop, *this));
  EXPECT_EQ(store.readCount + store.writeCount, 0);
  EXPECT_TRUE(view.log.empty());
  EXPECT_TRUE(window.start(u"/W", desktop, *this));
  EXPECT_GT(store.readCount, 0);
  EXPECT_EQ(store.writeCount, 0);
}

TEST_F(MainWindowTest, LoadSelectsTheStoredChoices) {
  struct Case {
    std::u16string_view interval, right, taste;
    MainChoices choices;
    int timer;
    int clockRight;
    int report;  // error number reported under frmMain_Load, 0 for none
  };
  const Case cases[] = {
      {u"", u"", u"", {1, 0, true, false}, 250, 0, 0},  // nothing stored
      {u"50", u"1", u"1", {0, 1, true, true}, 50, 1, 0},
      {u"1000", u"0", u"0", {2, 0, true, false}, 1000, 0, 0},
      // Unknown interval: the default. A right of 2 stays: titles get no clock.
      {u"100", u"2", u"0", {1, 0, true, false}, 250, 2, 0},
      {u"fast", u"1", u"1", {1, 1, true, true}, 250, 1, err::kTypeMismatch},
      {u"50", u"300", u"1", {0, 1, true, false}, 50, 0, err::kOverflow},
      {u"50", u"1", u"2", {0, 0, true, true}, 50, 1, err::kSubscript},  // a taste that names no option
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.interval) + " " + utf8(c.right) + " " + utf8(c.taste));
    store = {};
    prompt.shown.clear();
    view = {};
    if (!c.interval.empty()) set(keys::kCheckInterval, c.interval);
    if (!c.right.empty()) set(keys::kClockRight, c.right);
    if (!c.taste.empty()) set(keys::kUserTaste, c.taste);
    window.Form_Load();
    EXPECT_EQ(window.choices(), c.choices);
    EXPECT_EQ(view.shown, c.choices);
    EXPECT_EQ(state.checkInterval, c.timer);
    EXPECT_EQ(view.log, (std::vector<std::u16string>{u"caption Tavo", u"timer " + decimal(c.timer)}));
    EXPECT_EQ(state.clockRight, c.clockRight);
    EXPECT_EQ(state.clockPattern, c.choices.taste == 0 ? u"%h:nn%,%mmm%,%d%" : u"%h:nn%,%m%/%d%");
    EXPECT_EQ(prompt.shown.size(), c.report ? 1u : 0u);
    EXPECT_TRUE(!c.report || reported(kStartupLocation, c.report));
  }
}

TEST_F(MainWindowTest, OkStoresTheChoicesTheTimerWaitsForTheNextLoad) {
  set(keys::kCheckInterval, u"100");
  loaded();
  window.optInterval_Click(0);
  window.optTaste_Click(1);
  window.chkRight_Click(true);
  EXPECT_EQ(state.clockRight, 1) << "the check box acts at once";
  window.cmdMain_Click(0);
  EXPECT_EQ(stored(keys::kCheckInterval), u"50");
  EXPECT_EQ(stored(keys::kUserTaste), u"1");
  EXPECT_EQ(stored(keys::kClockRight), u"1");
  EXPECT_EQ(state.clockPattern, u"%h:nn%,%m%/%d%");
  EXPECT_EQ(view.log, std::vector<std::u16string>{u"hide"}) << "the running timer keeps its interval";
}

TEST_F(MainWindowTest, CancelBringsEveryChoiceBack) {
  set(keys::kCheckInterval, u"1000");
  set(keys::kUserTaste, u"1");
  loaded();
  const MainChoices before = window.choices();
  window.optInterval_Click(0);
  window.optTaste_Click(0);
  window.chkRight_Click(true);
  window.cmdMain_Click(1);
  EXPECT_EQ(window.choices(), before);
  EXPECT_EQ(view.shown, before);
  EXPECT_EQ(state.checkInterval, 1000);
  EXPECT_EQ(state.clockRight, 0);
  EXPECT_EQ(view.log, (std::vector<std::u16string>{u"hide", u"timer 1000"}));
  EXPECT_EQ(store.writeCount, 0);
}

TEST_F(MainWindowTest, ExtendedPatternDisablesTasteAndSurvivesOk) {
  set(keys::kTavoXX, u"2");
  set(keys::kXXFormat, u"[%h%]");
  loaded();
  EXPECT_FALSE(view.shown->tasteEnabled);
  window.optTaste_Click(1);
  window.cmdMain_Click(0);
  EXPECT_EQ(state.clockPattern, u"[%h%]");
}

TEST_F(MainWindowTest, AboutLettersHTAfreshXCFromMemory) {
  loaded();
  window.cmdMain_Click(2);
  set(keys::kTavoCt, u"1");
  set(keys::kTavoXX, u"1");
  loaded();
  set(keys::kHideout, u"1");  // installed while Tavo runs: shown
  set(keys::kTavoCt, u"2");   // this session still has 1
  window.cmdMain_Click(2);
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_TRUE(prompt.shown[0].text.starts_with(u"Tavo 1.70.0001\r\n"));
  EXPECT_TRUE(prompt.shown[1].text.starts_with(u"Tavo 1.70.0001HXC\r\n"));
  EXPECT_NE(prompt.shown[1].text.find(u"\r\n\r\n"), std::u16string::npos);
  EXPECT_EQ(prompt.shown[1].flags, mb::kIconInformation);
}

TEST_F(MainWindowTest, HelpOnF1AloneAndOnTheButton) {
  for (auto [key, shift] : {std::pair{112, 1}, {112, 2}, {112, 4}, {113, 0}}) window.Form_KeyDown(key, shift);
  EXPECT_TRUE(launches.empty());
  window.Form_KeyDown(112, 0);
  EXPECT_EQ(launches.size(), 1u);
  host.directory = u"D:\\ツール\\";
  launches.clear();
  window.cmdMain_Click(4);
  EXPECT_EQ(launches, fake::LaunchLog{u"open D:\\ツール\\TavoHELP\\index.html|"});
}

TEST(MainWindowCentre, TwipsArithmetic) {
  struct Case {
    double screenW, screenH, windowW, windowH;
    TwipPoint at;
  };
  const Case cases[] = {
      {15360, 11520, 5112, 3792, {5124, 3864}},
      {1001, 1000, 0, 0, {500, 500}},
      {1.6, 3.5, 0, 0, {1, 2}},  // rounded to whole twips before halving
      {0, 0, 1.6, 3.5, {-1, -2}},
      {100, 100, 103, 107, {-1, -3}},  // larger than the screen: toward zero
  };
  for (const auto& c : cases) EXPECT_EQ(centredPosition(c.screenW, c.screenH, c.windowW, c.windowH), c.at);
}

TEST_F(MainWindowTest, ResizeIgnoresTheFirstThenCentresUnlessMinimised) {
  window.Form_Resize();
  EXPECT_TRUE(view.log.empty());
  window.Form_Resize();
  view.minimized = true;
  window.Form_Resize();
  view.minimized = false;
  view.screen[0] = 1e12;
  window.Form_Resize();
  EXPECT_EQ(view.log,
            (std::vector<std::u16string>{u"caption Tavo", u"move 5124,3864", u"caption Tavo", u"caption Tavo"}));
  EXPECT_TRUE(reported(kResizeLocation, err::kOverflow));
}

// A store that looks at a window's title at the moment of each write.
class WatchingStore : public MemoryStore {
 public:
  WatchingStore(fake::FakeDesktop& d, WindowHandle w) : desktop(d), watched(w) {}
  void write(std::u16string_view app, std::u16string_view section, std::u16string_view key,
             std::u16string_view value) override {
    titles.push_back(desktop.title(watched));
    MemoryStore::write(app, section, key, value);
  }
  fake::FakeDesktop& desktop;
  WindowHandle watched;
  std::vector<std::u16string> titles;
};

TEST_F(MainWindowTest, UnloadGivesTheTitleBackBeforeStoring) {
  state.clockPattern = u"%h:nn%";
  state.equalSeparate = 1;
  const WindowHandle memo = desktop.open(u"Notepad", u"memo.txt - Notepad");
  cycle.tmrMain_Timer();
  ASSERT_NE(desktop.title(memo), u"memo.txt - Notepad");
  WatchingStore watching(desktop, memo);
  Settings s(watching);
  MainWindow w(view, state, s, reporter, host, sound, shell, cycle);
  w.Form_Unload();
  EXPECT_EQ(watching.titles, (std::vector<std::u16string>(2, u"memo.txt - Notepad")));

  watching.failWrites = true;
  w.Form_Unload();
  EXPECT_TRUE(reported(kUnloadLocation, err::kStore));
}

TEST_F(MainWindowTest, DialogErrorsAreReported) {
  window.cmdToSet_Click(1);
  EXPECT_TRUE(reported(kToSetLocation, err::kOutOfMemory));
}

}  // namespace
}  // namespace tavo
