// The hourly signal (chime, cuckoo strikes, flash, shake, hourly entries),
// the flash run, the daily alarm with its repeats, how broken settings are
// met, and that none of them stacks a message box over an open one.
#include <utility>

#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

TEST_F(SignalsTest, GivenOnceAnHourAndRearmedByAnyOtherMinute) {
  // The machine may sleep through minute 01, or through a whole hour.
  const int checks[][3] = {{9, 59, 0},  {10, 0, 1},  {10, 0, 1},  {10, 1, 1}, {11, 0, 2},
                           {11, 0, 2},  {11, 17, 2}, {12, 0, 3},  {14, 0, 3}};  // hour, minute, signals so far
  log.clear();
  for (const auto& [h, m, signalled] : checks) {
    at(h, m);
    signals.ChkPika(0);
    EXPECT_EQ(count(u"flash on"), signalled) << h << ":" << m;
  }
}

TEST_F(SignalsTest, ChimeOnlyForAWaveFileAndCuckooStrikesOnATwelveHourDial) {
  set({{keys::kTimePipo, u"1"}, {keys::kTimePika, u"0"}});
  // hour, PipoHato, the stored path, strikes (the last one waits only with "/w"), the last strike
  const std::tuple<int, std::u16string_view, std::u16string_view, int, std::u16string> cases[] = {
      {0, u"1", u"c.wav", 12, u"wave async c.wav"},  {13, u"1", u"c.wav", 1, u"wave async c.wav"},
      {23, u"1", u"c.wav /W", 11, u"wave sync c.wav"}, {23, u"0", u"c.wav", 1, u"wave async c.wav"},
      {10, u"0", uR"(  "C:\My Sounds\c.wav"  )", 1, uR"(wave async C:\My Sounds\c.wav)"},
      {10, u"1", uR"(C:\Tools\notify.exe /w)", 0, u""},  // a program is not started
  };
  for (const auto& [hour, cuckoo, path, strikes, last] : cases) {
    set({{keys::kPipoHato, cuckoo}, {keys::kWaveFilePath1, path}});
    LaunchLog expected;
    for (int i = 1; i < strikes; ++i) expected.insert(expected.end(), {u"wave sync c.wav", u"yield"});
    if (strikes > 0) expected.push_back(last);
    log.clear();
    newHour(hour);
    EXPECT_EQ(log, expected) << hour << " " << utf8(path);
  }
}

TEST_F(SignalsTest, AllIngredientsInTheirOrderButNoFlashOrShakeForAWithheldWindow) {
  set({{keys::kTimePipo, u"1"}, {keys::kWaveFilePath1, u"chime.wav"}, {keys::kTimeFuru, u"1"},
       {keys::kTimeFuruCount, u"0"}, {keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,2"}});
  state.plugInFlags.tavoCt = 1;
  set({{KeyDef{kSectionMain, cuteKey(10, 2), u""}, u"second.wav"},
       {KeyDef{kSectionMain, cuteKey(10, 1), u""}, uR"("C:\Program Files\Log\log.exe" "a b")"}});
  const std::u16string open = uR"(open C:\Program Files\Log\log.exe|"a b")";
  for (std::uint8_t withheld : {0, 1}) {
    log.clear();
    desktop.moves.clear();
    newHour(10, withheld);
    const LaunchLog all{u"wave async chime.wav", u"flash on", u"yield", u"yield", u"yield", u"yield",
                        u"wave async second.wav", open},
        withheldLog{u"wave async chime.wav", u"wave async second.wav", open};
    EXPECT_EQ(log, withheld ? withheldLog : all);
    EXPECT_EQ(desktop.moves.size(), withheld ? 0u : 5u);
  }
}

TEST_F(SignalsTest, SwitchThatIsNoNumberIsReportedAndRuns) {
  set({{keys::kTimePipo, u"on"}, {keys::kPipoHato, u"yes"}, {keys::kWaveFilePath1, u"c.wav"}, {keys::kTimePika, u"x"},
       {keys::kTimeFuru, u"?"}, {keys::kTimeFuruCount, u"-1"}});
  log.clear();
  newHour(2);
  EXPECT_EQ(log, (LaunchLog{u"box エラー - Tavo", u"wave sync c.wav", u"yield", u"wave async c.wav", u"flash on"}));
  EXPECT_TRUE(reported(u"frmMain!ChkPika", err::kTypeMismatch));
  EXPECT_EQ(desktop.moves.size(), 1u);
  // Anything but 1 is off.
  set({{keys::kTimePipo, u"2"}, {keys::kTimePika, u"1.5"}, {keys::kTimeFuru, u"0"}});
  log.clear();
  newHour(3);
  EXPECT_EQ(log, LaunchLog{});
}

TEST_F(SignalsTest, ShakeCyclesAndTheWayBack) {
  set({{keys::kTimePika, u"0"}, {keys::kTimeFuru, u"1"}});
  const std::tuple<std::u16string_view, std::size_t, bool> cases[] = {
      {u"0", 5, false}, {u"-1", 1, false}, {u"-300", 1, false}, {u"10", 45, false}, {u"40000", 0, true},
      {u"ten", 0, true}};
  for (const auto& [count, moves, reports] : cases) {
    set(keys::kTimeFuruCount, count);
    desktop.moves.clear();
    prompt.shown.clear();
    pump.yields = 0;
    newHour(10);
    EXPECT_EQ(desktop.moves.size(), moves) << utf8(count);
    EXPECT_EQ(pump.yields, moves == 0 ? 0 : static_cast<int>(moves - 1)) << utf8(count);
    EXPECT_EQ(!prompt.shown.empty(), reports) << utf8(count);
  }
  EXPECT_TRUE(reported(u"frmMain!ChkPika", err::kTypeMismatch));
  // Without its place the window could not be put back.
  desktop.moves.clear();
  desktop.close(front);
  signals.VibrateWindow(front, 3);
  EXPECT_TRUE(desktop.moves.empty());
}

// Out of range: a message, the default stored and used. No number: a report, and the window keeps its place.
TEST_F(SignalsTest, ShakeAmplitudeFollowsTheDisplayAndTheStoredWidth) {
  const std::tuple<std::u16string_view, int, int, int, int, std::u16string_view> cases[] = {
      {u"20", 96, 96, 1, 1, u"20"},    {u"30", 144, 96, 3, 2, u"30"},     {u"-45", 96, 120, -3, -3, u"-45"},
      {u"32768", 96, 96, 1, 1, u"20"}, {u"wide", 96, 96, 0, 0, u"wide"}};  // width, ppi, moved by, stored after
  for (const auto& [width, ppiX, ppiY, dx, dy, storedAfter] : cases) {
    set(keys::kVibrateWidth, width);
    desktop.ppiX = ppiX;
    desktop.ppiY = ppiY;
    desktop.moves.clear();
    signals.VibrateWindow(front, 1);
    std::vector<std::pair<int, int>> got, want;
    for (const auto& m : desktop.moves) {
      EXPECT_TRUE(m.window == front && m.insertAfter == swp::kNoTopmost && m.flags == 0x41u);
      got.emplace_back(m.x, m.y);
    }
    const std::pair<int, int> round[] = {{100 + dx, 100}, {100, 100 + dy}, {100 - dx, 100}, {100, 100 - dy}};
    for (int i = 0; i < 2; ++i) want.insert(want.end(), std::begin(round), std::end(round));
    want.emplace_back(100, 100);
    EXPECT_EQ(got, want) << utf8(width);
    EXPECT_EQ(stored(keys::kVibrateWidth), storedAfter);
  }
  ASSERT_EQ(prompt.shown.size(), 2u);
  EXPECT_EQ(prompt.shown[0].text, u"レジストリの振幅設定が正しくありません。\r\n初期設定値に戻しました。");
  EXPECT_TRUE(prompt.shown[0].title == u"エラー - Tavo" && prompt.shown[0].flags == 0x1010u);
  EXPECT_TRUE(reported(u"frmMain!VibrateWindow", err::kTypeMismatch));
}

TEST_F(SignalsTest, HourlyEntries) {
  const std::pair<int, std::u16string_view> entries[] = {
      {3, u"  third.exe now "}, {2, u"   "}, {1, u"first.wav"}, {0, u"zero.exe"}};
  for (const auto& [n, line] : entries) set(KeyDef{kSectionMain, cuteKey(7, n), u""}, line);
  set(keys::kTimePika, u"0");
  const LaunchLog both{u"open third.exe|now", u"wave async first.wav"}, zero{u"open zero.exe|"};
  const std::u16string_view three = u"0,0,0,0,0,0,0,3";
  const std::tuple<std::uint8_t, std::u16string_view, LaunchLog, int> cases[] = {
      {1, three, both, 0}, {0, three, {}, 0}, {0, u"garbage", {}, 0},  // never read without the flag
      {1, u"0,0,0,0,0,0,0,0", {}, 0}, {1, u"0,0,0,0,0,0,0, 1 ,9", {u"wave async first.wav"}, 0},
      // A huge count does not hang the signal: entries above 999 are never looked up.
      {1, u"0,0,0,0,0,0,0,2000000000", both, 0},
      // A count that cannot be read tries entry 00 alone.
      {1, u"0,0,0,0,0,0", zero, err::kSubscript}, {1, u"0,0,0,0,0,0,0,three", zero, err::kTypeMismatch},
  };
  for (const auto& [tavoCt, counts, launched, reportNumber] : cases) {
    state.plugInFlags.tavoCt = tavoCt;
    set(keys::kCuteCounts, counts);
    log.clear();
    newHour(7);
    EXPECT_TRUE(reportNumber == 0 || reported(u"frmMain!ChkPika", reportNumber)) << utf8(counts);
    std::erase_if(log, [](const std::u16string& e) { return e.starts_with(u"box "); });
    EXPECT_EQ(log, launched) << utf8(counts);
  }
}

TEST_F(SignalsTest, FlashRunLengthFollowsTheLimit) {
  // In this order: a limit that is no number keeps the previous run's (and is reported once).
  const std::tuple<std::u16string_view, int, std::size_t, std::u16string_view> cases[] = {
      {u"many", 2, 1, u"many"}, {u"", 52, 0, u"50"},       {u"0", 2, 0, u"0"},   {u"7", 9, 0, u"7"},
      {u"254", 256, 0, u"254"}, {u"255", 257, 1, u"50"},   {u"-1", 52, 1, u"50"}, {u"5", 7, 0, u"5"},
      {u"many", 7, 0, u"many"}};  // limit ("": not stored), flashes, boxes, stored after
  for (const auto& [limit, flashes, boxesShown, storedAfter] : cases) {
    store = MemoryStore{};
    if (!limit.empty()) set(keys::kFlashLimit, limit);
    const std::size_t before = prompt.shown.size();
    flash.enable();
    EXPECT_EQ(runFlash(), flashes) << utf8(limit);
    EXPECT_EQ(prompt.shown.size() - before, boxesShown) << utf8(limit);
    EXPECT_EQ(stored(keys::kFlashLimit), storedAfter) << utf8(limit);
    EXPECT_EQ(signals.flashCount(), 0) << utf8(limit);
  }
  EXPECT_TRUE(reported(kFlashTickLocation, err::kTypeMismatch));
}

TEST_F(SignalsTest, FlashTicksWaitWhileABoxIsOpen) {
  set(keys::kFlashLimit, u"999");
  int ticksWhileOpen = 0;
  prompt.whileOpen = [&] { for (int i = 0; i < 5; ++i, ++ticksWhileOpen) signals.tmrFlash_Timer(); };
  flash.enable();
  EXPECT_EQ(runFlash(), 52);
  EXPECT_EQ(ticksWhileOpen, 5);
  EXPECT_EQ(prompt.shown.size(), 1u) << "a tick during the message opened another";
  // Nor does a run go on under a box that something else opened.
  prompt.whileOpen = [&] { signals.tmrFlash_Timer(); };
  const std::size_t before = desktop.flashes.size();
  flash.enable();
  signals.tmrFlash_Timer();
  reporter.boxes().show(u"about", u"Tavo", 0);
  EXPECT_EQ(desktop.flashes.size() - before, 1u);
  runFlash();
  EXPECT_EQ(desktop.flashes.size() - before, 52u);
}

TEST_F(SignalsTest, TicksNestedInTheStrikesGiveNoSecondSignal) {
  set({{keys::kTimePipo, u"1"}, {keys::kPipoHato, u"1"}, {keys::kWaveFilePath1, u"c.wav"}});
  at(14, 59);
  tick();
  pump.onYield = [&] { log.push_back(u"yield"); tick(); };
  at(15, 0);
  tick();
  EXPECT_EQ(count(u"wave sync c.wav"), 2);
  EXPECT_EQ(count(u"flash on"), 1);
  EXPECT_EQ(desktop.flashes.size(), 0u);
  runFlash();
  EXPECT_EQ(desktop.flashes, std::vector<WindowHandle>(52, front));
}

class AlarmTest : public SignalsTest {
 protected:
  AlarmTest() {
    state.alarmOn = 1;
    state.alarmTime = u"17:57";
    state.alarmMessage = u"時間だよ(^^)";
  }
  using Shown = std::vector<std::pair<int, unsigned>>;
  // One alarm check a minute for `minutes` minutes; the boxes shown, by the number of the check.
  Shown checks(int fromHour, int fromMinute, int minutes, int day = 6) {
    Shown boxesAt;
    for (int i = 0; i < minutes; ++i) {
      const int m = fromHour * 60 + fromMinute + i;
      at(m / 60 % 24, m % 60, 0, day);
      const std::size_t before = prompt.shown.size();
      signals.ChkAlarm();
      for (std::size_t b = before; b < prompt.shown.size(); ++b) boxesAt.emplace_back(i, prompt.shown[b].flags);
    }
    return boxesAt;
  }
};

TEST_F(AlarmTest, OkEndsItCancelRepeatsEveryFourthCheckAlsoIntoTheNextDay) {
  set(keys::kWaveFilePath2, uR"("C:\My Sounds\call me.wav" /w)");
  log.clear();
  EXPECT_EQ(checks(17, 55, 20), (Shown{{2, 0x1131}}));
  EXPECT_EQ(prompt.shown[0].text, u"時間だよ(^^)");
  EXPECT_EQ(log, (LaunchLog{uR"(wave sync C:\My Sounds\call me.wav)", u"box Alarm - Tavo", u"flash on"}));
  prompt.answers = {mb::kIdCancel, mb::kIdCancel, mb::kIdCancel, mb::kIdOk};
  EXPECT_EQ(checks(17, 57, 30, 7), (Shown{{0, 0x1131}, {3, 0x1141}, {7, 0x1141}, {11, 0x1141}}));
  EXPECT_EQ(signals.alarmRepeat(), 0);
  EXPECT_EQ(count(u"flash on"), 5);
  prompt.answers = {mb::kIdCancel};
  prompt.defaultAnswer = mb::kIdCancel;
  EXPECT_EQ(checks(17, 57, 24 * 60, 8).size(), 1u + 360u) << "the first box, then one every fourth check";
  // Still repeating: the day's box comes, and only OK on a repeat ends it.
  prompt.answers = {mb::kIdOk, mb::kIdOk};
  EXPECT_EQ(checks(17, 57, 10, 9), (Shown{{0, 0x1131}, {3, 0x1141}}));
  EXPECT_EQ(signals.alarmRepeat(), 0);
  EXPECT_EQ(state.alarmOn, 1);
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
    log.push_back(u"box " + prompt.shown.back().title);
    if (prompt.shown.size() > 1) return;
    for (const auto& [h, m] : {std::pair{17, 57}, {17, 58}, {18, 0}}) {
      at(h, m);
      signals.ChkAlarm();
      signals.ChkPika(0);
    }
  };
  log.clear();
  flash.enable();
  signals.tmrFlash_Timer();
  EXPECT_EQ(log, (LaunchLog{u"flash on", u"box エラー - Tavo", u"box Alarm - Tavo", u"flash on", u"flash on"}));
}

}  // namespace
}  // namespace tavo
