// Two days of ticks through the real cycle on the fakes, with every hourly
// ingredient and the alarm on: the rhythm the accelerated end-to-end run
// checks, here exact and independent of the machine's speed.
#include <algorithm>
#include <map>
#include <tuple>

#include "main/cycle.h"
#include "signals_fixture.h"

namespace tavo {
namespace {

class TwoDaysTest : public SignalsTest {
 protected:
  TwoDaysTest() {
    signals.follow(cycle);
    state.clockPattern = u"%h:nn:ss%,%mmm%,%d%";
    state.equalSeparate = 1;
    state.alarmOn = 1;
    state.alarmTime = u"07:30";
    state.alarmMessage = u"朝です";
    set(keys::kTimePipo, u"1");
    set(keys::kWaveFilePath1, u"c.wav");
    set(keys::kTimeFuru, u"1");
    set(keys::kTimeFuruCount, u"0");
    set(keys::kFlashLimit, u"8");
  }

  // The clock at `seconds` after midnight of 14 March, across month ends alike.
  void atSecond(long seconds) {
    const int day = 14 + static_cast<int>(seconds / 86400);
    const long s = seconds % 86400;
    clock.time = DateTime{2026, 3, day, static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                          static_cast<int>(s % 60)};
  }

  fake::FakeResources resources;
  CaptionCycle cycle{state, desktop, clock, resources, reporter, signals};
};

TEST_F(TwoDaysTest, OneSignalAnHourAndOneAlarmADay) {
  // Per hour of the run (0 = 06:00 on the first day): chimes, flashes, moves.
  std::map<int, std::tuple<int, int, int>> perHour;
  std::map<int, int> alarmsPerDay;
  int hourNow = 0;
  prompt.whileOpen = [&] { ++alarmsPerDay[hourNow / 24]; };
  const long start = 6 * 3600 + 45 * 60, end = start + 48 * 3600;
  std::size_t chimes = 0, flashes = 0, moves = 0;
  // A tick every 15 s, the flash timer after each: coarse, but every minute
  // is seen four times, as "00" and the alarm minute must be.
  for (long t = start; t <= end; t += 15) {
    atSecond(t);
    hourNow = static_cast<int>((t - 6 * 3600) / 3600);
    cycle.tmrMain_Timer();
    if (rec.enabled) signals.tmrFlash_Timer();
    auto& [c, f, m] = perHour[hourNow];
    c += static_cast<int>(std::count(log.begin() + static_cast<long>(chimes), log.end(), "async c.wav"));
    f += static_cast<int>(desktop.flashes.size() - flashes);
    m += static_cast<int>(desktop.moves.size() - moves);
    chimes = log.size();
    flashes = desktop.flashes.size();
    moves = desktop.moves.size();
  }
  // Hour 0 runs from 06:45 to 07:00; hour 48 from 06:00 to 06:45 on the third day.
  for (int h = 1; h <= 48; ++h) {
    // The alarm's ten flashes fall in the hour of 07:30 on top of the signal's.
    const int alarmFlashes = h % 24 == 1 ? 10 : 0;
    EXPECT_EQ(perHour[h], std::make_tuple(1, 10 + alarmFlashes, 5)) << "hour " << h;
  }
  EXPECT_EQ(perHour[0], std::make_tuple(0, 0, 0));
  EXPECT_EQ(alarmsPerDay, (std::map<int, int>{{0, 1}, {1, 1}}));
  EXPECT_EQ(state.alarmOn, 1);
  EXPECT_TRUE(prompt.shown.size() == 2 && prompt.shown[1].flags == kAlarmFlags);
}

}  // namespace
}  // namespace tavo
