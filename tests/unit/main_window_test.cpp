// The main window's logic against the fakes: its choices and the store, the
// buttons, keys, resizing and the order of unloading.
#include "main/main_window.h"

#include <gtest/gtest.h>

#include <optional>

#include "base/text.h"
#include "launch_fakes.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

class FakeView : public MainView {
 public:
  void setCaption(std::u16string_view caption) override { log.push_back(u"caption " + std::u16string(caption)); }
  bool isMinimized() override { return minimized; }
  double screenWidthTwips() override { return screen[0]; }
  double screenHeightTwips() override { return screen[1]; }
  double windowWidthTwips() override { return window[0]; }
  double windowHeightTwips() override { return window[1]; }
  void moveTo(long left, long top) override { log.push_back(u"move " + decimal(left) + u"," + decimal(top)); }
  void minimizeAndHide() override { log.push_back(u"hide"); }
  void close() override { log.push_back(u"close"); }
  void showChoices(const MainChoices& c) override { shown = c; }
  void setTimerInterval(int ms) override { log.push_back(u"timer " + decimal(ms)); }
  void openSettingsDialog(int) override { raise(err::kOutOfMemory); }

  std::vector<std::u16string> log;
  std::optional<MainChoices> shown;
  bool minimized = false;
  double screen[2] = {15360, 11520}, window[2] = {5112, 3792};
};

class MainWindowTest : public ::testing::Test {
 protected:
  void set(const KeyDef& key, std::u16string_view value) { settings.save(key.section, key.name, value); }
  std::u16string stored(const KeyDef& key) { return settings.get(key.section, key.name, u"(none)"); }
  // A window as after start-up, with nothing written or shown yet.
  MainWindow& loaded() {
    window.Form_Load();
    store.writeCount = 0;
    view.log.clear();
    return window;
  }
  bool reported(std::u16string_view location, int number) const {
    const auto head = u"エラー番号:" + decimal(number) + u"\r\n場所:" + std::u16string(location) + u"1.70.0001\r\n";
    for (const auto& box : prompt.shown)
      if (box.text.starts_with(head)) return true;
    return false;
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
  FakeView view;
  MainWindow window{view, state, settings, reporter, host, sound, shell, cycle};
};

TEST_F(MainWindowTest, LoadSelectsTheStoredChoices) {
  struct Case {
    std::u16string_view interval, right, taste;
    int index, timer, tasteIndex;
    bool ticked;
    int report;  // error number reported under frmMain_Load, 0 for none
  };
  const Case cases[] = {
      {u"", u"", u"", 1, 250, 0, false, 0},  // nothing stored
      {u"50", u"1", u"1", 0, 50, 1, true, 0},
      {u"1000", u"0", u"0", 2, 1000, 0, false, 0},
      {u"100", u"2", u"0", 1, 250, 0, false, 0},  // unknown interval and a right of 2: silently the default
      {u"fast", u"1", u"1", 1, 250, 1, true, err::kTypeMismatch},
      {u"50", u"300", u"1", 0, 50, 1, false, err::kOverflow},
      {u"50", u"1", u"2", 0, 50, 0, true, err::kSubscript},  // a taste that names no option
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.interval) + " " + utf8(c.right) + " " + utf8(c.taste));
    MemoryStore s;
    Settings st(s);
    fake::FakePrompt p;
    Boxes b(p);
    Reporter rep(b, Version{1, 70, 1});
    FakeView v;
    AppState a;
    MainWindow w(v, a, st, rep, host, sound, shell, cycle);
    if (!c.interval.empty()) st.save(kSectionMain, keys::kCheckInterval.name, c.interval);
    if (!c.right.empty()) st.save(kSectionMain, keys::kClockRight.name, c.right);
    if (!c.taste.empty()) st.save(kSectionMain, keys::kUserTaste.name, c.taste);
    const int writes = s.writeCount;
    w.Form_Load();
    EXPECT_EQ(s.writeCount, writes) << "loading writes nothing";
    const MainChoices expected{c.index, c.tasteIndex, true, c.ticked};
    EXPECT_EQ(w.choices(), expected);
    ASSERT_TRUE(v.shown);
    EXPECT_EQ(*v.shown, expected);
    EXPECT_EQ(a.checkInterval, c.timer);
    EXPECT_EQ(w.timerInterval(), c.timer);
    EXPECT_EQ(v.log, (std::vector<std::u16string>{u"caption Tavo", u"timer " + decimal(c.timer)}));
    EXPECT_EQ(a.clockRight, c.ticked ? 1 : 0);
    EXPECT_EQ(a.clockPattern, c.tasteIndex == 0 ? u"%h:nn%,%mmm%,%d%" : u"%h:nn%,%m%/%d%");
    ASSERT_EQ(p.shown.size(), c.report ? 1u : 0u);
    if (c.report) {
      EXPECT_TRUE(p.shown[0].text.starts_with(u"エラー番号:" + decimal(c.report) + u"\r\n場所:frmMain_Load"));
    }
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
  EXPECT_EQ(window.timerInterval(), 250);

  set(keys::kCheckInterval, u"100");
  window.cmdMain_Click(1);
  window.cmdMain_Click(0);
  EXPECT_EQ(stored(keys::kCheckInterval), u"250") << "a stored 100 comes back as Middle";
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
  EXPECT_EQ(*view.shown, before);
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

TEST_F(MainWindowTest, FailedSaveIsReportedAndThePatternFollowsWhatIsStored) {
  loaded();
  window.optTaste_Click(1);
  store.failWrites = true;
  window.cmdMain_Click(0);
  EXPECT_TRUE(reported(kMainButtonLocation, err::kStore));
  EXPECT_EQ(state.clockPattern, u"%h:nn%,%mmm%,%d%");
}

TEST_F(MainWindowTest, AboutLettersHTAfreshXCFromMemory) {
  EXPECT_EQ(aboutText(Version{1, 63, 2485}, {}).substr(0, 16), u"Tavo 1.63.2485\r\n");
  struct Case {
    PlugInFlags flags;
    std::u16string_view head;
  };
  const Case cases[] = {
      {{1, 1, 1, 1}, u"Tavo 1.70.0001HTXC\r\n"},
      {{0, 0, 1, 1}, u"Tavo 1.70.0001XC\r\n"},
      {{2, 1, 0, 3}, u"Tavo 1.70.0001T\r\n"},  // exactly 1 counts
  };
  for (const auto& c : cases) EXPECT_TRUE(aboutText(host.ver, c.flags).starts_with(c.head));

  set(keys::kTavoCt, u"1");
  loaded();
  set(keys::kHideout, u"1");  // installed while Tavo runs: shown
  set(keys::kTavoCt, u"0");   // the running session still has it
  window.cmdMain_Click(2);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_TRUE(prompt.shown[0].text.starts_with(u"Tavo 1.70.0001HC\r\n"));
  EXPECT_TRUE(prompt.shown[0].text.find(u"\r\n\r\n") != std::u16string::npos);
  EXPECT_EQ(prompt.shown[0].title, u"Tavo のバージョン情報");
  EXPECT_EQ(prompt.shown[0].flags, mb::kIconInformation);
}

TEST_F(MainWindowTest, HelpOnF1AloneAndOnTheButton) {
  const std::u16string help = u"open C:\\Tavo\\TavoHELP\\index.html|";
  struct Case {
    int key, shift;
    bool opens;
  };
  const Case cases[] = {{112, 0, true}, {112, 1, false}, {112, 2, false}, {112, 4, false}, {113, 0, false}};
  for (const auto& c : cases) {
    launches.clear();
    window.Form_KeyDown(c.key, c.shift);
    EXPECT_EQ(launches.size(), c.opens ? 1u : 0u) << c.key << " " << c.shift;
  }
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
  EXPECT_THROW(centredPosition(1e12, 0, 0, 0), Error);
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
  EXPECT_EQ(view.log, (std::vector<std::u16string>{u"caption Tavo", u"move 5124,3864", u"caption Tavo",
                                                   u"caption Tavo"}));
  EXPECT_TRUE(reported(kResizeLocation, err::kOverflow));
}

// Stores that look at a window's title at the moment of each write.
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
  EXPECT_EQ(s.get(kSectionMain, u"TavoDirPath", u""), u"C:\\Tavo\\");
  EXPECT_EQ(s.get(kSectionMain, u"Version", u""), u"1.70.0001");

  watching.failWrites = true;
  w.Form_Unload();
  EXPECT_TRUE(reported(kUnloadLocation, err::kStore));
}

TEST_F(MainWindowTest, ExitClosesAndDialogErrorsAreReported) {
  window.cmdMain_Click(3);
  EXPECT_EQ(view.log, std::vector<std::u16string>{u"close"});
  window.cmdToSet_Click(1);
  EXPECT_TRUE(reported(kToSetLocation, err::kOutOfMemory));
}

}  // namespace
}  // namespace tavo
