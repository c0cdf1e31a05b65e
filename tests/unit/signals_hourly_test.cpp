// The hourly signal: when it is given, the chime and the cuckoo strikes,
// the shake, the hourly entries, and how broken settings are met.
#include <utility>

#include "tests/unit/cycle_fixture.h"

namespace tavo {
namespace {

TEST_F(SignalsTest, GivenOnceAnHourAndRearmedByAnyOtherMinute) {
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> checks;  // hour, minute
    int signals;
  } cases[] = {
      {"59, 00, 00 again, 01", {{9, 59}, {10, 0}, {10, 0}, {10, 1}}, 1},
      {"and the next hour", {{9, 59}, {10, 0}, {10, 0}, {10, 1}, {11, 0}, {11, 0}}, 2},
      // The machine slept through minute 01: the next hour still chimes.
      {"01 skipped", {{10, 0}, {10, 0}, {10, 17}, {11, 0}}, 2},
      {"01 and 00 both skipped", {{10, 0}, {12, 0}}, 1},
  };
  for (const auto& c : cases) {
    begin();
    log.clear();
    for (const auto& [h, m] : c.checks) {
      at(h, m);
      signals->ChkPika(0);
    }
    EXPECT_EQ(count(u"flash on"), c.signals) << c.name;
  }
}

TEST_F(SignalsTest, ChimeOnlyForAWaveFileAndCuckooStrikesOnATwelveHourDial) {
  set(keys::kTimePipo, u"1");
  set(keys::kTimePika, u"0");
  const struct {
    int hour;
    std::u16string_view cuckoo, stored;
    int strikes;  // the last one waits only with "/w"
    std::u16string last;
  } cases[] = {
      {0, u"1", u"c.wav", 12, u"wave async c.wav"},   {12, u"1", u"c.wav", 12, u"wave async c.wav"},
      {1, u"1", u"c.wav", 1, u"wave async c.wav"},    {13, u"1", u"c.wav", 1, u"wave async c.wav"},
      {13, u"1", u"c.wav /w", 1, u"wave sync c.wav"}, {23, u"1", u"c.wav /W", 11, u"wave sync c.wav"},
      {23, u"0", u"c.wav", 1, u"wave async c.wav"},
      {10, u"0", uR"(  "C:\My Sounds\c.wav"  )", 1, uR"(wave async C:\My Sounds\c.wav)"},
      {10, u"0", uR"("C:\My Sounds\c.wav)", 1, uR"(wave async C:\My Sounds\c.wav)"},
      // Unquoted, the path is cut at its first blank and is no wave file.
      {10, u"1", uR"(C:\My Sounds\c.wav)", 0, u""},
      {10, u"1", uR"(C:\Tools\notify.exe /w)", 0, u""},  // a program is not started either
      {10, u"1", u"", 0, u""},
  };
  for (const auto& c : cases) {
    set(keys::kPipoHato, c.cuckoo);
    set(keys::kWaveFilePath1, c.stored);
    LaunchLog expected;
    for (int i = 1; i < c.strikes; ++i) expected.insert(expected.end(), {u"wave sync c.wav", u"yield"});
    if (c.strikes > 0) expected.push_back(c.last);
    log.clear();
    newHour(c.hour);
    EXPECT_EQ(log, expected) << c.hour << " " << utf8(c.stored);
  }
}

TEST_F(SignalsTest, AllIngredientsInTheirOrderButNoFlashOrShakeForAWithheldWindow) {
  set(keys::kTimePipo, u"1");
  set(keys::kWaveFilePath1, u"chime.wav");
  set(keys::kTimeFuru, u"1");
  set(keys::kTimeFuruCount, u"0");
  state.plugInFlags.tavoCt = 1;
  set(keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,2");
  set(KeyDef{kSectionMain, cuteKey(10, 2), u""}, u"second.wav");
  set(KeyDef{kSectionMain, cuteKey(10, 1), u""}, uR"("C:\Program Files\Log\log.exe" "a b")");
  const std::u16string open = uR"(open C:\Program Files\Log\log.exe|"a b")";
  for (std::uint8_t withheld : {0, 1}) {
    begin();
    log.clear();
    signals->ChkPika(withheld);
    const LaunchLog all{u"wave async chime.wav", u"flash on", u"yield", u"yield", u"yield", u"yield",
                        u"wave async second.wav", open},
        withheldLog{u"wave async chime.wav", u"wave async second.wav", open};
    EXPECT_EQ(log, withheld ? withheldLog : all);
    EXPECT_EQ(desktop.moves.size(), withheld ? 0u : 5u);
  }
}

TEST_F(SignalsTest, SwitchThatIsNoNumberIsReportedAndRuns) {
  set(keys::kTimePipo, u"on");
  set(keys::kPipoHato, u"yes");
  set(keys::kWaveFilePath1, u"c.wav");
  set(keys::kTimePika, u"x");
  set(keys::kTimeFuru, u"?");
  set(keys::kTimeFuruCount, u"-1");
  at(2, 0);
  signals->ChkPika(0);
  EXPECT_EQ(log, (LaunchLog{u"box エラー - Tavo", u"wave sync c.wav", u"yield", u"wave async c.wav", u"flash on"}));
  EXPECT_TRUE(reported(u"frmMain!ChkPika", err::kTypeMismatch));
  EXPECT_EQ(desktop.moves.size(), 1u);
  // Anything but 1 is off.
  set(keys::kTimePipo, u"2");
  set(keys::kTimePika, u"1.5");
  set(keys::kTimeFuru, u"0");
  log.clear();
  at(3, 0);
  signals->ChkPika(0);
  EXPECT_EQ(log, LaunchLog{});
}

TEST_F(SignalsTest, ShakeCyclesAndTheWayBack) {
  set(keys::kTimePika, u"0");
  set(keys::kTimeFuru, u"1");
  const struct {
    std::u16string_view count;
    std::size_t moves;
    bool reported;
  } cases[] = {{u"0", 5, false},  {u"-1", 1, false},    {u"-300", 1, false},
               {u"10", 45, false}, {u"40000", 0, true}, {u"ten", 0, true}};
  for (const auto& c : cases) {
    set(keys::kTimeFuruCount, c.count);
    desktop.moves.clear();
    prompt.shown.clear();
    pump.yields = 0;
    newHour(10);
    EXPECT_EQ(desktop.moves.size(), c.moves) << utf8(c.count);
    EXPECT_EQ(pump.yields, c.moves == 0 ? 0 : static_cast<int>(c.moves - 1)) << utf8(c.count);
    EXPECT_EQ(!prompt.shown.empty(), c.reported) << utf8(c.count);
  }
  EXPECT_TRUE(reported(u"frmMain!ChkPika", err::kTypeMismatch));
  // Without its place the window could not be put back.
  desktop.moves.clear();
  desktop.close(front);
  signals->VibrateWindow(front, 3);
  EXPECT_TRUE(desktop.moves.empty());
}

TEST_F(SignalsTest, ShakeAmplitudeFollowsTheDisplay) {
  const struct {
    std::u16string_view width;
    int ppiX, ppiY, dx, dy;
  } cases[] = {{u"20", 96, 96, 1, 1}, {u"30", 144, 96, 3, 2}, {u"-45", 96, 120, -3, -3}};
  for (const auto& c : cases) {
    set(keys::kVibrateWidth, c.width);
    desktop.ppiX = c.ppiX;
    desktop.ppiY = c.ppiY;
    desktop.moves.clear();
    signals->VibrateWindow(front, 0);
    std::vector<std::pair<int, int>> got;
    for (const auto& m : desktop.moves) {
      EXPECT_EQ(m.window, front);
      EXPECT_EQ(m.insertAfter, swp::kNoTopmost);
      EXPECT_EQ(m.flags, 0x41u);
      got.emplace_back(m.x, m.y);
    }
    const std::vector<std::pair<int, int>> want{
        {100 + c.dx, 100}, {100, 100 + c.dy}, {100 - c.dx, 100}, {100, 100 - c.dy}, {100, 100}};
    EXPECT_EQ(got, want) << utf8(c.width) << " at " << c.ppiX << "x" << c.ppiY;
  }
}

TEST_F(SignalsTest, InvalidShakeWidth) {
  // Out of range: the message, the default stored and used.
  set(keys::kVibrateWidth, u"32768");
  signals->VibrateWindow(front, 0);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, u"レジストリの振幅設定が正しくありません。\r\n初期設定値に戻しました。");
  EXPECT_EQ(prompt.shown[0].title, u"エラー - Tavo");
  EXPECT_EQ(prompt.shown[0].flags, 0x1010u);
  EXPECT_EQ(stored(keys::kVibrateWidth), u"20");
  EXPECT_EQ(desktop.moves.front().x, 101);

  // No number: the error report, and the window stays in place.
  set(keys::kVibrateWidth, u"wide");
  desktop.moves.clear();
  signals->VibrateWindow(front, 1);
  EXPECT_TRUE(reported(u"frmMain!VibrateWindow", err::kTypeMismatch));
  EXPECT_EQ(desktop.moves.size(), 9u);
  for (const auto& m : desktop.moves) EXPECT_TRUE(m.x == 100 && m.y == 100);
  EXPECT_EQ(stored(keys::kVibrateWidth), u"wide");
}

TEST_F(SignalsTest, HourlyEntries) {
  const std::pair<int, std::u16string_view> entries[] = {
      {3, u"  third.exe now "}, {2, u"   "}, {1, u"first.wav"}, {0, u"zero.exe"}};
  for (const auto& [n, line] : entries) set(KeyDef{kSectionMain, cuteKey(7, n), u""}, line);
  set(keys::kTimePika, u"0");
  const LaunchLog both{u"open third.exe|now", u"wave async first.wav"}, zero{u"open zero.exe|"};
  const struct {
    std::uint8_t tavoCt;
    std::u16string_view counts;
    LaunchLog log;
    int reportNumber;
  } cases[] = {
      {1, u"0,0,0,0,0,0,0,3", both, 0},
      {0, u"0,0,0,0,0,0,0,3", {}, 0},
      {2, u"0,0,0,0,0,0,0,3", {}, 0},
      {0, u"garbage", {}, 0},  // never read without the flag
      {1, u"0,0,0,0,0,0,0,0", {}, 0},
      {1, u"0,0,0,0,0,0,0,-2", {}, 0},
      {1, u"0,0,0,0,0,0,0, 1 ,9", {u"wave async first.wav"}, 0},
      // A huge count does not hang the signal: entries above 999 are never looked up.
      {1, u"0,0,0,0,0,0,0,2000000000", both, 0},
      // A count that cannot be read tries entry 00 alone.
      {1, u"0,0,0,0,0,0", zero, err::kSubscript},
      {1, u"0,0,0,0,0,0,0,three", zero, err::kTypeMismatch},
      {1, u"0,0,0,0,0,0,0,", zero, err::kTypeMismatch},
  };
  for (const auto& c : cases) {
    state.plugInFlags.tavoCt = c.tavoCt;
    set(keys::kCuteCounts, c.counts);
    log.clear();
    newHour(7);
    EXPECT_TRUE(c.reportNumber == 0 || reported(u"frmMain!ChkPika", c.reportNumber)) << utf8(c.counts);
    std::erase_if(log, [](const std::u16string& e) { return e.starts_with(u"box "); });
    EXPECT_EQ(log, c.log) << utf8(c.counts);
  }
}

}  // namespace
}  // namespace tavo
