// The hourly signal (chime, cuckoo strikes, flash, shake), the daily alarm,
// how broken settings are met, and that none of them stacks a message box
// over an open one.
#include <utility>

#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

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
