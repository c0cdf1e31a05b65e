// The expansion into a reading kept from call to call, and the formatter
// reading placeholder codes in place. The fuzz target compares readings in
// place and reused ones with fresh ones.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/xxformat.h"
#include "platform/fake/fake_prompt.h"

namespace {
// Heap allocations while counting is on (the tests are single-threaded).
long gAllocations = 0;
bool gCounting = false;
}  // namespace

// Out of line, so that no caller sees a pointer from `new` reach free().
[[gnu::noinline]] void* operator new(std::size_t size) {
  if (gCounting) ++gAllocations;
  if (void* p = std::malloc(size != 0 ? size : 1)) return p;
  throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* p) noexcept { std::free(p); }
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace tavo {
namespace {

class ExpandInPlaceTest : public ::testing::Test {
 protected:
  ClockReading fresh(std::u16string_view pattern, const DateTime& now) {
    return FromXXFToShowClk(pattern, now, resources, reporter);
  }
  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{1, 70, 1}};
  fake::FakeResources resources;
};

DateTime at(int hour, int minute, int second) { return DateTime{2026, 12, 6, hour, minute, second}; }

TEST_F(ExpandInPlaceTest, AWarmReadingExpandsWithoutAllocating) {
  ClockReading reading;
  const std::u16string patterns[] = {u"%h:nn%,%mmm%,%d%", u"%h:nn:ss%,%yy%,%mmm%,%d%,%ddd%",
                                     u"%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%",
                                     u"%ggge年m月d日(aaa)% %kk5h:nn:ss% 月齢%o%%r%"};
  for (const auto& pattern : patterns) {
    FromXXFToShowClk(pattern, at(23, 59, 59), resources, reporter, reading);  // the longest key and text
    gAllocations = 0;
    gCounting = true;
    for (int s = 0; s < 60; ++s) FromXXFToShowClk(pattern, at(s % 24, s, 59 - s), resources, reporter, reading);
    gCounting = false;
    EXPECT_EQ(gAllocations, 0) << utf8(pattern);
  }
}

TEST_F(ExpandInPlaceTest, AnAmPmMarkerBehindTheHourMakesItTwelveHour) {
  const std::u16string dashes(70, u'-');  // past the text buffer, which then holds the hour no more
  const DateTime evening = at(21, 5, 7);
  EXPECT_EQ(formatDateTime(evening, dashes + u"h:nn AM/PM"), dashes + u"9:05 PM");
  EXPECT_EQ(formatDateTime(evening, u"hh \"h\" AMPM h"), u"09 h 午後 9");
  EXPECT_EQ(fresh(u"<%h:nn a/p%>%h%", evening).text, u"<9:05 p>21");  // each placeholder for itself
  EXPECT_EQ(fresh(u"%" + dashes + u"h am/pm%|%tt h AM/PM%", evening).text, dashes + u"9 pm|9 PM");
}

TEST_F(ExpandInPlaceTest, AFieldLeftOpenNeverRuns) {
  resources.present = true;
  EXPECT_EQ(fresh(u"%RS%-%RS", at(9, 5, 7)).text, u"XXErr");
  EXPECT_EQ(resources.calls, 1);
  EXPECT_EQ(fresh(u"%kxh", at(9, 5, 7)).text, u"XXErr");
  EXPECT_TRUE(prompt.shown.empty()) << "a past-midnight hour without its digit would have been reported";
}

}  // namespace
}  // namespace tavo
