// One expansion of the default standard clock pattern, against the C
// library writing the same text: the clock runs every 250 ms and must cost
// no more than the platform's own formatting would.
#include <benchmark/benchmark.h>

#include <ctime>

#include "format/xxformat.h"
#include "platform/fake/fake_prompt.h"

namespace {

constexpr tavo::DateTime kNow{2026, 12, 6, 21, 5, 7};

struct Rig {
  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes{prompt};
  tavo::Reporter reporter{boxes, tavo::Version{1, 70, 1}};
  tavo::fake::FakeResources resources;
};

void expand(benchmark::State& state, std::u16string_view pattern) {
  Rig rig;
  for (auto _ : state) {
    tavo::ClockReading r = tavo::FromXXFToShowClk(pattern, kNow, rig.resources, rig.reporter);
    benchmark::DoNotOptimize(r);
  }
}

void BM_ExpandStandardPattern(benchmark::State& state) { expand(state, u"%h:nn%,%mmm%,%d%"); }
BENCHMARK(BM_ExpandStandardPattern);

// "21:05,Dec,6", the same text in the C locale.
void BM_StrftimeStandardPattern(benchmark::State& state) {
  std::tm tm{};
  tm.tm_year = kNow.year - 1900;
  tm.tm_mon = kNow.month - 1;
  tm.tm_mday = kNow.day;
  tm.tm_hour = kNow.hour;
  tm.tm_min = kNow.minute;
  tm.tm_sec = kNow.second;
  tm.tm_wday = 0;
  char buffer[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(tm);
    std::size_t n = std::strftime(buffer, sizeof buffer, "%-H:%M,%b,%-d", &tm);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
  }
}
BENCHMARK(BM_StrftimeStandardPattern);

// The heaviest standard pattern: 12-hour clock with seconds, year, weekday.
void BM_ExpandFullStandardPattern(benchmark::State& state) {
  expand(state, u"%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%");
}
BENCHMARK(BM_ExpandFullStandardPattern);

void BM_ExpandExtendedPattern(benchmark::State& state) {
  expand(state, u"%ggge年m月d日(aaa)% %kk5h:nn:ss% 月齢%o%%r% %RS%");
}
BENCHMARK(BM_ExpandExtendedPattern);

}  // namespace
