// Tavo's start-up and main window on the composition Tavo.exe runs, built
// on the fakes: the hand-over to a running Tavo, what is loaded and in which
// order, bad stored values, the choices and the store, the held hourly check.
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

TEST_F(MainWindowTest, SecondStartHandsOverToTheFirstAndTouchesNoSettingOrRecord) {
  desktop.open(u"ThunderRT6FormDC", u"TavoNS", false);  // a Tavo still starting is not the one
  const WindowHandle first = desktop.open(u"ThunderRT6FormDC", u"Tavo", false);
  desktop.open(u"Notepad", u"memo");
  ledger.entries[first] = u"01memo";  // the first one's record: not the second one's to give back
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
  EXPECT_EQ(store.readCount + store.writeCount + ledger.writes, 0);
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
      u"24h",        u"ShowSecond",    u"ShowYear",  u"Overlay"};  // taste 2 has no date fields to read
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
       {keys::k24h, u"01"}, {keys::kOverlay, u"x"}});
  state.overlay = 0;
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
  EXPECT_EQ(state.overlay, 1);
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
