// One expansion of the default standard clock pattern, against the C
// library writing the same text: the clock runs every 250 ms and must cost
// no more than the platform's own formatting would. Like with like: the C
// library writes into the caller's buffer, the expansion into a reading
// kept from call to call, as the cycle keeps it; the allocating form is
// measured beside them.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string_view>

#include "base/text.h"
#include "format/xxformat.h"
#include "platform/fake/fake_prompt.h"

namespace {

constexpr tavo::DateTime kNow{2026, 12, 6, 21, 5, 7};  // a Sunday

constexpr std::u16string_view kStandard = u"%h:nn%,%mmm%,%d%";
constexpr std::u16string_view kFullStandard = u"%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%";
constexpr std::u16string_view kExtended = u"%ggge年m月d日(aaa)% %kk5h:nn:ss% 月齢%o%%r% %RS%";

struct Rig {
  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes{prompt};
  tavo::Reporter reporter{boxes, tavo::Version{1, 70, 1}};
  tavo::fake::FakeResources resources;
};

// `expected`: the text the C library writes for the same reading, where it can.
void expandInto(benchmark::State& state, std::u16string_view pattern, const char* expected = nullptr) {
  Rig rig;
  tavo::ClockReading reading;
  for (auto _ : state) {
    tavo::FromXXFToShowClk(pattern, kNow, rig.resources, rig.reporter, reading);
    benchmark::DoNotOptimize(reading.text.data());
    benchmark::ClobberMemory();
  }
  if (!rig.prompt.shown.empty()) state.SkipWithError("the expansion reported an error");
  if (expected != nullptr && tavo::utf8(reading.text) != expected) state.SkipWithError("not the text compared with");
}

void expandAllocating(benchmark::State& state, std::u16string_view pattern) {
  Rig rig;
  for (auto _ : state) {
    tavo::ClockReading r = tavo::FromXXFToShowClk(pattern, kNow, rig.resources, rig.reporter);
    benchmark::DoNotOptimize(r);
  }
}

void strftimeInto(benchmark::State& state, const char* format, const char* expected = nullptr) {
  std::tm tm{};
  tm.tm_year = kNow.year - 1900;
  tm.tm_mon = kNow.month - 1;
  tm.tm_mday = kNow.day;
  tm.tm_hour = kNow.hour;
  tm.tm_min = kNow.minute;
  tm.tm_sec = kNow.second;
  tm.tm_wday = 0;
  tm.tm_yday = 339;
  char buffer[64] = {};
  for (auto _ : state) {
    benchmark::DoNotOptimize(tm);
    std::size_t n = std::strftime(buffer, sizeof buffer, format, &tm);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(buffer);
    benchmark::ClobberMemory();
  }
  if (expected != nullptr && std::string_view(buffer) != expected) state.SkipWithError("not the text compared with");
}

// "21:05,Dec,6" both ways.
void BM_StrftimeStandardPattern(benchmark::State& state) { strftimeInto(state, "%-H:%M,%b,%-d", "21:05,Dec,6"); }
BENCHMARK(BM_StrftimeStandardPattern);
void BM_ExpandStandardPattern(benchmark::State& state) { expandInto(state, kStandard, "21:05,Dec,6"); }
BENCHMARK(BM_ExpandStandardPattern);
void BM_ExpandStandardPatternAllocating(benchmark::State& state) { expandAllocating(state, kStandard); }
BENCHMARK(BM_ExpandStandardPatternAllocating);

// The heaviest standard pattern: 12-hour clock with seconds, year, weekday.
// The C library has no 0-11 hour and no Japanese weekday; its nearest
// ("9:05:07,26,12/6,Sun") stands in.
void BM_StrftimeFullStandardPattern(benchmark::State& state) {
  strftimeInto(state, "%-I:%M:%S,%y,%-m/%-d,%a", "9:05:07,26,12/6,Sun");
}
BENCHMARK(BM_StrftimeFullStandardPattern);
void BM_ExpandFullStandardPattern(benchmark::State& state) {
  expandInto(state, kFullStandard, "9:05:07,26,12/6,日");
}
BENCHMARK(BM_ExpandFullStandardPattern);

void BM_ExpandExtendedPattern(benchmark::State& state) { expandInto(state, kExtended); }
BENCHMARK(BM_ExpandExtendedPattern);

}  // namespace
