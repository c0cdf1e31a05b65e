// Tavo's start-up and main window on the composition Tavo.exe runs, built
// on the fakes: the hand-over to a running Tavo, what is loaded and in which
// order, the choices and the store, the buttons, keys, resizing and unloading.
#include "main/app.h"

#include "app_fixture.h"
#include "base/text.h"

namespace tavo {
namespace {

class MainWindowTest : public test::AppTest, public OtherInstance {
 protected:
  void postClose(WindowHandle w) override { handedOver.push_back(u"close " + decimal(static_cast<long>(w))); }
  void showNormal(WindowHandle w) override {
    EXPECT_TRUE(desktop.moves.empty()) << "shown before it is raised";
    handedOver.push_back(u"show " + decimal(static_cast<long>(w)));
  }
  // After start-up, with nothing written or shown yet.
  void loaded() {
    app.load();
    store.writeCount = 0;
    view.log.clear();
  }
  bool reported(std::u16string_view location, int number) const { return reports(location, number) > 0; }

  std::vector<std::u16string> handedOver;
};

TEST_F(MainWindowTest, SecondStartHandsOverToTheFirstAndTouchesNoSetting) {
  desktop.open(u"ThunderRT6FormDC", u"TavoNS", false);  // a Tavo still starting is not the one
  const WindowHandle first = desktop.open(u"ThunderRT6FormDC", u"Tavo", false);
  desktop.open(u"Notepad", u"memo");
  host.another = true;
  EXPECT_FALSE(app.handOver(u"", *this));
  EXPECT_EQ(desktop.foregroundWindow(), first);
  // In front, the first one's title carries the clock: found by its mark.
  desktop.rename(first, u"21:05 = Tavo");
  desktop.markWindow(first, std::u16string(kMainWindowMark));
  EXPECT_FALSE(app.handOver(u" /X ", *this));
  const std::u16string id = decimal(static_cast<long>(first));
  EXPECT_EQ(handedOver, (std::vector<std::u16string>{u"show " + id, u"close " + id}));

  host.another = false;
  EXPECT_FALSE(app.handOver(u"/x", *this));
  EXPECT_TRUE(app.handOver(u"/W", *this));
  EXPECT_EQ(store.readCount + store.writeCount, 0);
  EXPECT_TRUE(view.log.empty());
}

constexpr std::u16string_view kTaste0 = u"%h:nn%,%mmm%,%d%", kTaste1 = u"%h:nn%,%m%/%d%";

// The order Tavo.exe loads its settings in: a value read later may depend on
// one read before (the pattern on the plug-in flags and the taste).
TEST_F(MainWindowTest, StartUpReadsInTheProgramsOrder) {
  set(keys::kUserTaste, u"2");
  clock.time = DateTime{2026, 12, 7, 20, 0, 0};
  const int writes = store.writeCount;
  app.load();
  const std::vector<std::u16string> order = {
      u"ClockRight", u"CheckInterval", u"UserTaste", u"Alarm",      u"EqualSeparate", u"AlarmMessage",
      u"AlarmTime",  u"WindowList0",   u"Hideout",   u"TavoTT",     u"TavoXX",        u"TavoCt",
      u"24h",        u"ShowSecond",    u"ShowYear"};  // taste 2 has no date fields to read
  EXPECT_EQ(store.reads, order);
  EXPECT_EQ(store.writeCount, writes) << "start-up writes nothing";
  // The stored taste 2 gives the time alone.
  desktop.open(u"Hold", u"Hold A");
  app.tick();
  EXPECT_EQ(desktop.title(desktop.foregroundWindow()), u"20:00 = Hold A");
}

// Bad values take their defaults one by one and the rest still loads; a
// store that cannot be read at all still gives a running Tavo.
TEST_F(MainWindowTest, BadStoredValuesFallBackAlone) {
  set({{keys::kClockRight, u"right"}, {keys::kAlarm, u"256"}, {keys::kEqualSeparate, u"0"},
       {keys::kAlarmTime, u"06:18"}, {keys::kTavoCt, u"1"}, {keys::kShowSecond, u"yes"}, {keys::kShowYear, u"1"},
       {keys::k24h, u"01"}});
  store.MemoryStore::write(kAppName, kSectionMain, windowListKey(0), u"Notepad");
  app.load();
  EXPECT_EQ(state.clockRight, 0);
  EXPECT_EQ(state.alarmOn, 0);
  EXPECT_EQ(state.equalSeparate, 0) << "values after the bad one are still read";
  EXPECT_EQ(state.alarmTime, u"06:18");
  EXPECT_EQ(state.alarmMessage, u"時間だよ(^^)");
  EXPECT_EQ(state.plugInFlags.tavoCt, 1);
  EXPECT_EQ(state.roster, std::vector<std::u16string>{u"Notepad"});
  EXPECT_EQ(state.clockPattern, u"%h:nn%,%yy%,%mmm%,%d%");
  EXPECT_EQ(prompt.shown.size(), 2u);  // the second type mismatch reads alike: shown once
  EXPECT_TRUE(reported(kStartupLocation, err::kTypeMismatch) && reported(kStartupLocation, err::kOverflow));

  prompt.shown.clear();
  store.failReads = true;
  app.load();
  EXPECT_EQ(state.checkInterval, 250);
  EXPECT_EQ(state.equalSeparate, 1);
  EXPECT_EQ(state.alarmTime, u"17:57");
  EXPECT_EQ(state.clockPattern, kTaste0);
  EXPECT_EQ(prompt.shown.size(), 1u);
  EXPECT_TRUE(reported(kStartupLocation, err::kStore));
}

// What is shown and in force for each stored choice; the timer runs at the
// interval in force.
TEST_F(MainWindowTest, LoadSelectsTheStoredChoices) {
  struct Case {
    std::u16string_view interval, right, taste, tavoXX, xxFormat;
    MainChoices choices;
    int timer, clockRight;
    int report;  // error number reported under frmMain_Load, 0 for none
    std::u16string_view pattern;
  };
  const Case cases[] = {
      {u"", u"", u"", u"", u"", {1, 0, true, false}, 250, 0, 0, kTaste0},  // nothing stored
      {u"50", u"1", u"1", u"0", u"%h%", {0, 1, true, true}, 50, 1, 0, kTaste1},
      {u"1000", u"0", u"0", u"", u"", {2, 0, true, false}, 1000, 0, 0, kTaste0},
      // Unknown interval: the default. A right of 2 stays: titles get no clock.
      {u"100", u"2", u"0", u"", u"", {1, 0, true, false}, 250, 2, 0, kTaste0},
      {u"fast", u"1", u"1", u"", u"", {1, 1, true, true}, 250, 1, err::kTypeMismatch, kTaste1},
      {u"50", u"300", u"1", u"", u"", {0, 1, true, false}, 50, 0, err::kOverflow, kTaste1},
      // A taste that names no option: reported, shown as 0, in force as stored.
      {u"50", u"1", u"2", u"", u"", {0, 0, true, true}, 50, 1, err::kSubscript, u"%h:nn%"},
      {u"", u"", u"taste", u"0", u"", {1, 0, true, false}, 250, 0, 0, kTaste0},
      // Any non-zero TavoXX puts its pattern in force, even an empty one.
      {u"", u"", u"1", u"1", u"[%h%]", {1, 1, false, false}, 250, 0, 0, u"[%h%]"},
      {u"", u"", u"0", u"2", u"[%h%]", {1, 0, false, false}, 250, 0, 0, u"[%h%]"},
      {u"", u"", u"0", u"1", u"", {1, 0, false, false}, 250, 0, 0, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.interval) + " " + utf8(c.right) + " " + utf8(c.taste) + " " + utf8(c.tavoXX));
    store = {};
    prompt.shown.clear();
    view = {};
    for (auto [key, value] : {std::pair{keys::kCheckInterval, c.interval}, {keys::kClockRight, c.right},
                              {keys::kUserTaste, c.taste}, {keys::kTavoXX, c.tavoXX}})
      if (!value.empty()) set(key, value);
    if (!c.tavoXX.empty()) set(keys::kXXFormat, c.xxFormat);
    window.Form_Load();
    EXPECT_EQ(window.choices(), c.choices);
    EXPECT_EQ(view.shown, c.choices);
    EXPECT_EQ(state.checkInterval, c.timer);
    EXPECT_EQ(view.log, (std::vector<std::u16string>{u"caption Tavo", u"timer " + decimal(c.timer)}));
    EXPECT_EQ(state.clockRight, c.clockRight);
    EXPECT_EQ(state.clockPattern, c.pattern);
    EXPECT_EQ(prompt.shown.size(), c.report ? 1u : 0u);
    EXPECT_TRUE(!c.report || reported(kStartupLocation, c.report));
  }
}

// Cancel brings every choice back; OK stores them, and an extended pattern
// (which disables the taste) stays in force. The timer waits for the next load.
TEST_F(MainWindowTest, CancelBringsTheChoicesBackOkStoresThem) {
  for (auto [tavoXX, pattern] : {std::pair{u"0", kTaste1}, {u"2", u"[%h%]"}}) {
    store = {};
    set({{keys::kCheckInterval, u"1000"}, {keys::kTavoXX, tavoXX}, {keys::kXXFormat, u"[%h%]"}});
    loaded();
    EXPECT_EQ(view.shown->tasteEnabled, pattern == kTaste1);
    const MainChoices before = window.choices();
    const auto choose = [&](int button) {
      view.log.clear();
      window.optInterval_Click(0);
      window.optTaste_Click(1);
      window.chkRight_Click(true);
      EXPECT_EQ(state.clockRight, 1) << "the check box acts at once";
      window.cmdMain_Click(button);
    };
    choose(1);
    EXPECT_EQ(window.choices(), before);
    EXPECT_EQ(view.shown, before);
    EXPECT_EQ(state.checkInterval, 1000);
    EXPECT_EQ(state.clockRight, 0);
    EXPECT_EQ(view.log, (std::vector<std::u16string>{u"hide", u"timer 1000"}));
    EXPECT_EQ(store.writeCount, 0);
    choose(0);
    EXPECT_EQ(stored(keys::kCheckInterval), u"50");
    EXPECT_EQ(stored(keys::kUserTaste), u"1");
    EXPECT_EQ(stored(keys::kClockRight), u"1");
    EXPECT_EQ(state.clockPattern, pattern);
    EXPECT_EQ(view.log, std::vector<std::u16string>{u"hide"}) << "the running timer keeps its interval";
  }
}

TEST_F(MainWindowTest, AboutLettersHTAfreshXCFromMemory) {
  loaded();
  window.cmdMain_Click(2);
  set({{keys::kTavoCt, u"1"}, {keys::kTavoXX, u"1"}});
  loaded();
  // Hideout installed while Tavo runs is shown; this session still has TavoCt 1.
  set({{keys::kHideout, u"1"}, {keys::kTavoCt, u"2"}});
  window.cmdMain_Click(2);
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_TRUE(prompt.shown[0].text.starts_with(u"Tavo " + versionText(buildVersion()) + u"\r\n"));
  EXPECT_TRUE(prompt.shown[1].text.starts_with(u"Tavo " + versionText(buildVersion()) + u"HXC\r\n"));
  EXPECT_NE(prompt.shown[1].text.find(u"\r\n\r\n"), std::u16string::npos);
  EXPECT_EQ(prompt.shown[1].flags, mb::kIconInformation);
}

TEST_F(MainWindowTest, HelpOnF1AloneAndOnTheButton) {
  for (auto [key, shift] : {std::pair{112, 1}, {112, 2}, {112, 4}, {113, 0}, {112, 0}}) window.Form_KeyDown(key, shift);
  host.directory = u"D:\\ツール\\";
  window.cmdMain_Click(4);
  EXPECT_EQ(launches, (fake::LaunchLog{u"open C:\\Tavo\\TavoHELP\\index.html|", u"open D:\\ツール\\TavoHELP\\index.html|"}));
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

// Unloading gives the title back before storing; failures are reported.
TEST_F(MainWindowTest, UnloadGivesTheTitleBackBeforeStoring) {
  loaded();
  const WindowHandle memo = desktop.open(u"Notepad", u"memo.txt - Notepad");
  app.tick();
  ASSERT_NE(desktop.title(memo), u"memo.txt - Notepad");
  std::vector<std::u16string> titles;
  store.onWrite = [&] { titles.push_back(desktop.title(memo)); };
  window.Form_Unload();
  EXPECT_EQ(titles, (std::vector<std::u16string>(2, u"memo.txt - Notepad")));
  EXPECT_EQ(stored(keys::kTavoDirPath), u"C:\\Tavo\\");
  EXPECT_EQ(stored(keys::kVersion), versionText(buildVersion()));

  store.failWrites = true;
  window.Form_Unload();
  EXPECT_TRUE(reported(kUnloadLocation, err::kStore));
  window.cmdToSet_Click(1);  // no dialog behind the button
  EXPECT_TRUE(reported(kToSetLocation, err::kOutOfMemory));
}

// An hourly check that comes while the flash limit's message is open is
// held, like the alarm's, and given once the message is answered.
TEST_F(MainWindowTest, HourlySignalWaitsForTheFlashLimitMessage) {
  set({{keys::kTimePipo, u"1"}, {keys::kWaveFilePath1, u"chime.wav"}, {keys::kFlashLimit, u"999"}});
  loaded();
  desktop.open(u"Doc", u"Doc");
  clock.time = DateTime{2026, 12, 7, 9, 59, 0};
  app.tick();
  prompt.whileOpen = [&] {
    for (int minute : {0, 0, 1}) {
      clock.time.hour = 10;
      clock.time.minute = minute;
      app.tick();
    }
    EXPECT_TRUE(launches.empty());
  };
  app.flashTick();  // a run's first tick reads the limit: the message
  prompt.whileOpen = nullptr;
  EXPECT_EQ(launches, (fake::LaunchLog{u"wave async chime.wav", u"flash on"}));
  app.tick();
  app.flashTick();
  EXPECT_EQ(launches.size(), 2u) << "given once";
}

}  // namespace
}  // namespace tavo
