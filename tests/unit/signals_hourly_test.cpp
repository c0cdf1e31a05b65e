// The hourly signal: when it is given, the chime and the cuckoo strikes,
// the shake, the hourly entries, and how broken settings are met.
#include <utility>

#include "tests/unit/signals_fixture.h"

namespace tavo {
namespace {

TEST_F(SignalsTest, GivenOnceAnHourAndRearmedByAnyOtherMinute) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, int>> checks;  // hour, minute
    int signals;
  };
  const Case cases[] = {
      {"59, 00, 00 again, 01", {{9, 59}, {10, 0}, {10, 0}, {10, 1}}, 1},
      {"and the next hour", {{9, 59}, {10, 0}, {10, 0}, {10, 1}, {11, 0}, {11, 0}}, 2},
      // The machine slept through minute 01: the next hour still chimes.
      {"01 skipped", {{10, 0}, {10, 0}, {10, 17}, {11, 0}}, 2},
      {"01 and 00 both skipped", {{10, 0}, {12, 0}}, 1},
      {"started within minute 00", {{10, 0}}, 1},
  };
  for (const Case& c : cases) {
    Signals fresh{state, settings, reporter, SignalPorts{desktop, clock, rec, rec, pump, rec}};
    log.clear();
    for (const auto& [h, m] : c.checks) {
      at(h, m);
      fresh.ChkPika(0);
    }
    EXPECT_EQ(count("flash on"), c.signals) << c.name;
  }
}

TEST_F(SignalsTest, NestedCheckWithinTheSignalDoesNothing) {
  set(keys::kTimePipo, u"1");
  set(keys::kPipoHato, u"1");
  set(keys::kWaveFilePath1, u"strike.wav");
  pump.onYield = [&] { signals.ChkPika(0); };  // ticks nested in the strikes
  at(3, 0);
  signals.ChkPika(0);
  EXPECT_EQ(pump.yields, 2);
  EXPECT_EQ(count("flash on"), 1);
  EXPECT_EQ(log, (Log{"sync strike.wav", "sync strike.wav", "async strike.wav", "flash on"}));
}

TEST_F(SignalsTest, CuckooStrikesTheHourOnATwelveHourDial) {
  set(keys::kTimePipo, u"1");
  set(keys::kTimePika, u"0");
  struct Case {
    int hour;
    bool cuckoo;
    std::u16string_view path;
    int strikes;
    const char* last;
  };
  for (const Case c : {Case{0, true, u"c.wav", 12, "async c.wav"}, Case{12, true, u"c.wav", 12, "async c.wav"},
                       Case{1, true, u"c.wav", 1, "async c.wav"}, Case{13, true, u"c.wav", 1, "async c.wav"},
                       Case{13, true, u"c.wav /w", 1, "sync c.wav"}, Case{23, true, u"c.wav /W", 11, "sync c.wav"},
                       Case{23, false, u"c.wav", 1, "async c.wav"}}) {
    set(keys::kPipoHato, c.cuckoo ? u"1" : u"0");
    set(keys::kWaveFilePath1, c.path);
    Log expected;
    for (int i = 1; i < c.strikes; ++i) expected.insert(expected.end(), {"sync c.wav", "yield"});
    expected.push_back(c.last);
    log.clear();
    newHour(c.hour);
    EXPECT_EQ(log, expected) << c.hour << " " << utf8(c.path);
  }
}

TEST_F(SignalsTest, ChimeOnlyForAWaveFile) {
  set(keys::kTimePipo, u"1");
  set(keys::kTimePika, u"0");
  const struct {
    std::u16string_view stored;
    Log log;
  } cases[] = {
      {uR"("C:\My Sounds\chime.wav" /W)", {R"(sync C:\My Sounds\chime.wav)"}},
      {uR"(  "C:\My Sounds\chime.wav"  )", {R"(async C:\My Sounds\chime.wav)"}},
      {uR"("C:\My Sounds\chime.wav)", {R"(async C:\My Sounds\chime.wav)"}},
      // Unquoted, the path is cut at its first blank and is no wave file.
      {uR"(C:\My Sounds\chime.wav)", {}},
      {uR"(C:\Tools\notify.exe /w)", {}},  // a program is not started either
      {u"", {}},
  };
  for (const auto& c : cases) {
    set(keys::kWaveFilePath1, c.stored);
    log.clear();
    newHour(10);
    EXPECT_EQ(log, c.log) << utf8(c.stored);
  }
}

TEST_F(SignalsTest, AllIngredientsInTheirOrder) {
  set(keys::kTimePipo, u"1");
  set(keys::kWaveFilePath1, u"chime.wav");
  set(keys::kTimeFuru, u"1");
  set(keys::kTimeFuruCount, u"0");
  state.plugInFlags.tavoCt = 1;
  set(keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,2");
  saveText(settings, KeyDef{kSectionMain, cuteKey(10, 2), u""}, u"second.wav");
  saveText(settings, KeyDef{kSectionMain, cuteKey(10, 1), u""}, uR"("C:\Program Files\Log\log.exe" "a b")");
  signals.ChkPika(0);
  EXPECT_EQ(log, (Log{"async chime.wav", "flash on", "yield", "yield", "yield", "yield", "async second.wav",
                      R"(open C:\Program Files\Log\log.exe|"a b")"}));
}

TEST_F(SignalsTest, WithheldWindowGetsNeitherFlashNorShake) {
  set(keys::kTimePipo, u"1");
  set(keys::kWaveFilePath1, u"chime.wav");
  set(keys::kTimeFuru, u"1");
  state.plugInFlags.tavoCt = 1;
  set(keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,1");
  saveText(settings, KeyDef{kSectionMain, cuteKey(10, 1), u""}, u"tool.exe");
  signals.ChkPika(1);
  EXPECT_EQ(log, (Log{"async chime.wav", "open tool.exe|"}));
  EXPECT_TRUE(desktop.moves.empty());
}

TEST_F(SignalsTest, SwitchThatIsNoNumberIsReportedAndRuns) {
  set(keys::kTimePipo, u"on");
  set(keys::kPipoHato, u"yes");
  set(keys::kWaveFilePath1, u"c.wav");
  set(keys::kTimePika, u"x");
  set(keys::kTimeFuru, u"?");
  set(keys::kTimeFuruCount, u"-1");
  at(2, 0);
  signals.ChkPika(0);
  EXPECT_EQ(log, (Log{"box エラー - Tavo", "sync c.wav", "yield", "async c.wav", "flash on"}));
  EXPECT_TRUE(reported(u"frmMain!ChkPika", err::kTypeMismatch));
  EXPECT_EQ(desktop.moves.size(), 1u);
  // Anything but 1 is off.
  set(keys::kTimePipo, u"2");
  set(keys::kTimePika, u"1.5");
  set(keys::kTimeFuru, u"0");
  log.clear();
  at(3, 0);
  signals.ChkPika(0);
  EXPECT_EQ(log, Log{});
}

TEST_F(SignalsTest, ShakeCyclesAndTheWayBack) {
  set(keys::kTimePika, u"0");
  set(keys::kTimeFuru, u"1");
  struct Case {
    std::u16string_view count;
    std::size_t moves;
    bool reported;
  };
  for (const Case c : {Case{u"0", 5, false}, Case{u"-1", 1, false}, Case{u"-300", 1, false}, Case{u"10", 45, false},
                       Case{u"40000", 0, true}, Case{u"ten", 0, true}}) {
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
}

TEST_F(SignalsTest, ShakeAmplitudeFollowsTheDisplay) {
  struct Case {
    std::u16string_view width;
    int ppiX, ppiY, dx, dy;
  };
  for (const Case c : {Case{u"20", 96, 96, 1, 1}, Case{u"30", 144, 96, 3, 2}, Case{u"-45", 96, 120, -3, -3}}) {
    set(keys::kVibrateWidth, c.width);
    desktop.ppiX = c.ppiX;
    desktop.ppiY = c.ppiY;
    desktop.moves.clear();
    signals.VibrateWindow(front, 0);
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
    EXPECT_EQ(desktop.window(front).rect.left, 100);
  }
}

TEST_F(SignalsTest, InvalidShakeWidth) {
  // Out of range: the message, the default stored and used.
  set(keys::kVibrateWidth, u"32768");
  signals.VibrateWindow(front, 0);
  ASSERT_EQ(prompt.shown.size(), 1u);
  EXPECT_EQ(prompt.shown[0].text, u"レジストリの振幅設定が正しくありません。\r\n初期設定値に戻しました。");
  EXPECT_EQ(prompt.shown[0].title, u"エラー - Tavo");
  EXPECT_EQ(prompt.shown[0].flags, 0x1010u);
  EXPECT_EQ(stored(keys::kVibrateWidth), u"20");
  EXPECT_EQ(desktop.moves.front().x, 101);

  // No number: the error report, and the window stays in place.
  set(keys::kVibrateWidth, u"wide");
  desktop.moves.clear();
  signals.VibrateWindow(front, 1);
  EXPECT_TRUE(reported(u"frmMain!VibrateWindow", err::kTypeMismatch));
  EXPECT_EQ(desktop.moves.size(), 9u);
  for (const auto& m : desktop.moves) EXPECT_TRUE(m.x == 100 && m.y == 100);
  EXPECT_EQ(stored(keys::kVibrateWidth), u"wide");
}

TEST_F(SignalsTest, ShakeOfAVanishedWindowMovesNothing) {
  desktop.close(front);
  signals.VibrateWindow(front, 3);
  signals.VibrateWindow(0, 3);
  EXPECT_TRUE(desktop.moves.empty());
  EXPECT_EQ(pump.yields, 0);
}

TEST_F(SignalsTest, HourlyEntries) {
  const auto entry = [&](int hour, int n, std::u16string_view line) {
    saveText(settings, KeyDef{kSectionMain, cuteKey(hour, n), u""}, line);
  };
  entry(7, 3, u"  third.exe now ");
  entry(7, 2, u"   ");
  entry(7, 1, u"first.wav");
  entry(7, 0, u"zero.exe");
  set(keys::kTimePika, u"0");
  struct Case {
    std::uint8_t tavoCt;
    std::u16string_view counts;
    Log log;
    int reportNumber;
  };
  const Case cases[] = {
      {1, u"0,0,0,0,0,0,0,3", {"open third.exe|now", "async first.wav"}, 0},
      {0, u"0,0,0,0,0,0,0,3", {}, 0},
      {2, u"0,0,0,0,0,0,0,3", {}, 0},
      {0, u"garbage", {}, 0},  // never read without the flag
      {1, u"0,0,0,0,0,0,0,0", {}, 0},
      {1, u"0,0,0,0,0,0,0,-2", {}, 0},
      {1, u"0,0,0,0,0,0,0, 1 ,9", {"async first.wav"}, 0},
      // A huge count does not hang the signal: entries above 999 are never looked up.
      {1, u"0,0,0,0,0,0,0,2000000000", {"open third.exe|now", "async first.wav"}, 0},
      // A count that cannot be read tries entry 00 alone.
      {1, u"0,0,0,0,0,0", {"open zero.exe|"}, err::kSubscript},
      {1, u"0,0,0,0,0,0,0,three", {"open zero.exe|"}, err::kTypeMismatch},
      {1, u"0,0,0,0,0,0,0,", {"open zero.exe|"}, err::kTypeMismatch},
  };
  for (const Case& c : cases) {
    state.plugInFlags.tavoCt = c.tavoCt;
    set(keys::kCuteCounts, c.counts);
    log.clear();
    newHour(7);
    if (c.reportNumber != 0) {
      EXPECT_TRUE(reported(u"frmMain!ChkPika", c.reportNumber)) << utf8(c.counts);
    }
    std::erase_if(log, [](const std::string& e) { return e.starts_with("box "); });
    EXPECT_EQ(log, c.log) << utf8(c.counts);
  }
}

}  // namespace
}  // namespace tavo
