// When the cycle calls the hourly check and the alarm check, how it treats
// their failures, and that it stays out of open message boxes.
#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

constexpr SignalCall kPika0{SignalCall::kPika, 0}, kAlarm{SignalCall::kAlarm, 0};

TEST_F(CycleTest, AlarmCheckOncePerChangeOfHourAndMinute) {
  struct Case {
    std::uint8_t alarmOn;
    std::u16string_view pattern;
    int checks;  // 21:05:00 to 21:07:59, a tick a second; the first tick counts
  };
  for (const Case c : {Case{1, u"%h:nn%", 3}, Case{1, u"%h:nn:ss%", 3}, Case{1, u"%s%", 3}, Case{0, u"%h:nn%", 0},
                       Case{2, u"%h:nn:ss%", 0}}) {
    fresh();
    state.alarmOn = c.alarmOn;
    state.clockPattern = c.pattern;
    const WindowHandle w = desktop.open(u"Doc", u"Doc");
    for (int s = 0; s < 180; ++s) {
      at(21, 5 + s / 60, s % 60);
      if (s == 90) desktop.rename(w, u"Doc2");
      tick();
    }
    EXPECT_EQ(recorded.count(SignalCall::kAlarm), c.checks) << utf8(c.pattern);
    // The hourly check: new window, every new key, the own title change
    // (which falls on a new key too when seconds are shown).
    EXPECT_EQ(recorded.count(SignalCall::kPika), c.pattern.find(u's') != c.pattern.npos ? 180 : 1 + 2 + 1);
  }
}

TEST_F(CycleTest, TickNestedInTheHourlyCheckNeitherRepeatsNorRewinds) {
  // The cuckoo strikes yield to the message loop: a tick runs inside
  // ChkPika and sees a later minute than the tick around it.
  state.alarmOn = 1;
  const WindowHandle w = desktop.open(u"Doc", u"Doc");
  tick();
  recorded.onPika = [&] {
    if (clock.time.minute != 0) return;
    at(22, 1);
    tick();
  };
  recorded.clear();
  at(22, 0);
  tick();
  EXPECT_EQ(desktop.title(w), u"22:01 = Doc");
  const int writes = desktop.titleWrites(w);
  at(22, 1, 30);
  tick();
  EXPECT_EQ(recorded.count(SignalCall::kAlarm), 1);
  EXPECT_EQ(desktop.titleWrites(w), writes) << "the time key stepped back";
}

TEST_F(CycleTest, TicksAreSkippedWhileABoxIsOpen) {
  state.alarmOn = 1;
  const WindowHandle w = desktop.open(u"Doc", u"Doc");
  tick();
  recorded.onAlarm = [&] { boxes.show(u"時間だよ(^^)", u"Alarm - Tavo", 0x1131); };
  prompt.whileOpen = [&] {
    at(21, 7);
    desktop.rename(w, u"Changed");
    tick(3);
  };
  recorded.clear();
  at(21, 6);
  tick();
  EXPECT_EQ(recorded.calls, (std::vector<SignalCall>{kPika0, kAlarm})) << "a tick ran inside the box";
  EXPECT_EQ(desktop.title(w), u"Changed");
  prompt.whileOpen = nullptr;
  tick();
  EXPECT_EQ(desktop.title(w), u"21:07 = Changed");

  // A box opened outside a tick leaves the clock running.
  prompt.whileOpen = [&] {
    at(21, 8);
    tick();
  };
  boxes.show(u"Tavo 1.70.0001", u"Tavo のバージョン情報", 0x40);
  EXPECT_EQ(desktop.title(w), u"21:08 = Changed");
}

TEST_F(CycleTest, FailuresOfTheChecksAreReportedUnderTheTickWhichGoesOn) {
  state.alarmOn = 1;
  const WindowHandle w = desktop.open(u"Doc", u"Doc");
  tick();
  recorded.onAlarm = [] { raise(err::kTypeMismatch); };
  recorded.onPika = [] { raise(err::kOverflow); };
  at(21, 6);
  tick(2);
  EXPECT_TRUE(reported(u"frmMain!tmrMain_Timer", err::kTypeMismatch));
  EXPECT_TRUE(reported(u"frmMain!tmrMain_Timer", err::kOverflow));
  EXPECT_EQ(desktop.title(w), u"21:06 = Doc");
  EXPECT_EQ(recorded.count(SignalCall::kAlarm), 2) << "the minute is not checked again";
}

}  // namespace
}  // namespace tavo
