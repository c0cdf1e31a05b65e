// The flash run, the daily alarm with its repeats, and that none of them
// stacks a second message box over an open one.
#include "main/cycle.h"
#include "tests/unit/signals_fixture.h"

namespace tavo {
namespace {

TEST_F(SignalsTest, FlashRunLengthFollowsTheLimit) {
  const struct {
    std::u16string_view limit;  // empty: not stored
    int flashes;
    bool message;
    std::u16string_view storedAfter;
  } cases[] = {{u"", 52, false, u"50"},      {u"0", 2, false, u"0"},     {u"7", 9, false, u"7"},
               {u"254", 256, false, u"254"}, {u"255", 257, true, u"50"}, {u"-1", 52, true, u"50"}};
  for (const auto& c : cases) {
    store = MemoryStore{};
    if (!c.limit.empty()) set(keys::kFlashLimit, c.limit);
    prompt.shown.clear();
    rec.enable();
    EXPECT_EQ(runFlash(), c.flashes) << utf8(c.limit);
    EXPECT_EQ(prompt.shown.size(), c.message ? 1u : 0u) << utf8(c.limit);
    EXPECT_EQ(stored(keys::kFlashLimit), c.storedAfter) << utf8(c.limit);
    EXPECT_EQ(signals.flashCount(), 0) << utf8(c.limit);
  }
}

TEST_F(SignalsTest, LimitThatIsNoNumberKeepsThePreviousRunsLimit) {
  set(keys::kFlashLimit, u"many");
  rec.enable();
  EXPECT_EQ(runFlash(), 2) << "no run before: the limit is 0";
  EXPECT_TRUE(reported(kFlashTickLocation, err::kTypeMismatch));
  set(keys::kFlashLimit, u"5");
  rec.enable();
  EXPECT_EQ(runFlash(), 7);
  set(keys::kFlashLimit, u"many");
  rec.enable();
  EXPECT_EQ(runFlash(), 7);
}

TEST_F(SignalsTest, FlashTicksWaitWhileABoxIsOpen) {
  set(keys::kFlashLimit, u"999");
  int ticksWhileOpen = 0;
  prompt.whileOpen = [&] {
    for (int i = 0; i < 5; ++i, ++ticksWhileOpen) signals.tmrFlash_Timer();
  };
  rec.enable();
  EXPECT_EQ(runFlash(), 52);
  EXPECT_EQ(ticksWhileOpen, 5);
  EXPECT_EQ(prompt.shown.size(), 1u) << "a tick during the message opened another";

  // Nor does a run go on under a box that something else opened.
  prompt.whileOpen = [&] { signals.tmrFlash_Timer(); };
  const std::size_t before = desktop.flashes.size();
  rec.enable();
  signals.tmrFlash_Timer();
  boxes.show(u"about", u"Tavo", 0);
  runFlash();
  EXPECT_EQ(desktop.flashes.size() - before, 52u);
}

// --- the alarm ---

class AlarmTest : public SignalsTest {
 protected:
  AlarmTest() {
    state.alarmOn = 1;
    state.alarmTime = u"17:57";
    state.alarmMessage = u"時間だよ(^^)";
  }
  // One alarm check a minute from `from` on, for `minutes` minutes; the
  // boxes shown, by the number of the check (0 = the first).
  std::vector<std::pair<int, unsigned>> checks(int fromHour, int fromMinute, int minutes, int day = 6) {
    std::vector<std::pair<int, unsigned>> boxesAt;
    for (int i = 0; i < minutes; ++i) {
      const int m = fromHour * 60 + fromMinute + i;
      at(m / 60 % 24, m % 60, day);
      const std::size_t before = prompt.shown.size();
      signals.ChkAlarm();
      for (std::size_t b = before; b < prompt.shown.size(); ++b) boxesAt.emplace_back(i, prompt.shown[b].flags);
    }
    return boxesAt;
  }
  using Shown = std::vector<std::pair<int, unsigned>>;
};

TEST_F(AlarmTest, OkEndsItCancelRepeatsEveryFourthCheck) {
  EXPECT_EQ(checks(17, 55, 20), (Shown{{2, 0x1131}}));
  EXPECT_EQ(prompt.shown[0].text, u"時間だよ(^^)");
  EXPECT_EQ(log, (Log{"box Alarm - Tavo", "flash on"}));
  prompt.answers = {mb::kIdCancel, mb::kIdCancel, mb::kIdCancel, mb::kIdOk};
  EXPECT_EQ(checks(17, 57, 30, 7), (Shown{{0, 0x1131}, {3, 0x1141}, {7, 0x1141}, {11, 0x1141}}));
  EXPECT_EQ(signals.alarmRepeat(), 0);
  EXPECT_EQ(count("flash on"), 5);
}

TEST_F(AlarmTest, FiresAgainTheNextDayWhileRepeating) {
  prompt.answers = {mb::kIdCancel};
  prompt.defaultAnswer = mb::kIdCancel;
  const Shown first = checks(17, 57, 24 * 60);
  EXPECT_EQ(first.size(), 1u + 360u) << "the first box, then one every fourth check";
  // Still repeating: the day's box comes, and only OK on a repeat ends it.
  prompt.answers = {mb::kIdOk, mb::kIdOk};
  const Shown next = checks(17, 57, 10, 7);
  EXPECT_EQ(next, (Shown{{0, 0x1131}, {3, 0x1141}}));
  EXPECT_EQ(signals.alarmRepeat(), 0);
  EXPECT_EQ(state.alarmOn, 1);
}

TEST_F(AlarmTest, CallMeRunsBeforeTheBox) {
  struct Case {
    std::u16string_view call;
    Log log;
  };
  const Case cases[] = {
      {uR"("C:\My Sounds\call me.wav" /w)", {R"(sync C:\My Sounds\call me.wav)", "box Alarm - Tavo", "flash on"}},
      {u"wake.exe --loud", {"open wake.exe|--loud", "box Alarm - Tavo", "flash on"}},
      {u"", {"box Alarm - Tavo", "flash on"}},
  };
  for (const Case& c : cases) {
    set(keys::kWaveFilePath2, c.call);
    log.clear();
    at(17, 57);
    signals.ChkAlarm();
    EXPECT_EQ(log, c.log) << utf8(c.call);
  }
}

TEST_F(AlarmTest, NoSecondBoxWhileOneIsOpen) {
  prompt.answers = {mb::kIdCancel, mb::kIdCancel};
  int nested = 0;
  prompt.whileOpen = [&] {
    ++nested;
    signals.ChkAlarm();  // a check run by the box's own message loop
  };
  EXPECT_EQ(checks(17, 57, 4), (Shown{{0, 0x1131}, {3, 0x1141}}));
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(signals.alarmRepeatCount(), 0) << "a nested check counted";
}

TEST_F(AlarmTest, ChecksDuringTheFlashMessageWaitForIt) {
  // The main timer runs on under the flash tick's message: no signal and no
  // alarm box on top of it; both come once it is answered.
  set(keys::kFlashLimit, u"300");
  prompt.whileOpen = [&] {
    log.push_back("box " + utf8(prompt.shown.back().title));
    if (prompt.shown.size() > 1) return;
    for (const auto& [h, m] : {std::pair{17, 57}, {17, 58}, {18, 0}}) {
      at(h, m);
      signals.ChkAlarm();
      signals.ChkPika(0);
    }
  };
  rec.enable();
  signals.tmrFlash_Timer();
  EXPECT_EQ(log, (Log{"flash on", "box エラー - Tavo", "box Alarm - Tavo", "flash on", "flash on"}));
}

// The signals under the real cycle: nested ticks in the strikes, an alarm
// minute that falls on a change of window, and ticks while the box is open.
class SignalsInCycleTest : public AlarmTest {
 protected:
  SignalsInCycleTest() {
    signals.follow(cycle);
    state.clockPattern = u"%h:nn%";
    state.equalSeparate = 1;
  }
  fake::FakeResources resources;
  CaptionCycle cycle{state, desktop, clock, resources, reporter, signals};
};

TEST_F(SignalsInCycleTest, TicksNestedInTheStrikesGiveNoSecondSignal) {
  set(keys::kTimePipo, u"1");
  set(keys::kPipoHato, u"1");
  set(keys::kWaveFilePath1, u"c.wav");
  at(14, 59);
  cycle.tmrMain_Timer();
  pump.onYield = [&] {
    log.push_back("yield");
    cycle.tmrMain_Timer();
  };
  at(15, 0);
  cycle.tmrMain_Timer();
  EXPECT_EQ(count("sync c.wav"), 2);
  EXPECT_EQ(count("flash on"), 1);
  EXPECT_EQ(desktop.flashes.size(), 0u);
  runFlash();
  EXPECT_EQ(desktop.flashes, std::vector<WindowHandle>(52, front));
}

TEST_F(SignalsInCycleTest, AlarmOnAChangeOfWindowAndNoTicksIntoTheBox) {
  at(17, 56);
  cycle.tmrMain_Timer();
  prompt.answers = {mb::kIdCancel};
  int ticksWhileOpen = 0;
  prompt.whileOpen = [&] {
    for (int s = 0; s < 3; ++s, ++ticksWhileOpen) {
      at(17, 58 + s);
      cycle.tmrMain_Timer();
      signals.tmrFlash_Timer();
    }
  };
  at(17, 57);
  front = desktop.open(u"Doc", u"Other");
  cycle.tmrMain_Timer();
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(ticksWhileOpen, 3);
  EXPECT_EQ(prompt.shown[0].flags, 0x1131u);
  EXPECT_EQ(signals.alarmRepeatCount(), 1);
  EXPECT_TRUE(desktop.flashes.empty());
}

}  // namespace
}  // namespace tavo
