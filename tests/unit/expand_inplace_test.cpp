// The expansion into a reading kept from call to call, and the formatter
// reading placeholder codes in place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/xxformat.h"
#include "boxed.h"

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

class ExpandInPlaceTest : public ::testing::Test, public test::Boxed {
 protected:
  ClockReading fresh(std::u16string_view p, const DateTime& t) { return FromXXFToShowClk(p, t, resources, reporter); }
  fake::FakeResources resources;
};

DateTime at(int hour, int minute, int second) { return DateTime{2026, 12, 6, hour, minute, second}; }

// Codes made of token letters, quotes, backslashes and plain text read in
// place up to their closing "%" format as the formatter formats them alone.
TEST_F(ExpandInPlaceTest, CodesReadInPlaceFormatAsTheyDoOnTheirOwn) {
  const std::u16string alphabet = u"dmyhnstaAMP/\"\\:gecqw x年";
  unsigned seed = 12345;
  const auto next = [&] { return (seed = seed * 1103515245u + 12345u) >> 16 & 0x7fff; };
  const DateTime now{2026, 12, 6, 21, 5, 7};
  for (int i = 0; i < 4000; ++i) {
    std::u16string code;
    for (unsigned k = 0, length = 1 + next() % 9; k < length; ++k) code += alphabet[next() % alphabet.size()];
    if (code[0] == u't') continue;  // a field of its own
    const ClockReading r = fresh(u"[%" + code + u"%]", now);
    ASSERT_EQ(r.text, u"[" + formatDateTime(now, code) + u"]") << utf8(code);
    ASSERT_EQ(r.timeKey, code.find(u's') != std::u16string::npos ? u"21:5:7" : u"21:5") << utf8(code);
    // Left open, the same code is no placeholder at all, and its "s" no second.
    ASSERT_EQ(fresh(u"[%" + code, now).timeKey, u"21:5") << utf8(code);
  }
}

TEST_F(ExpandInPlaceTest, AWarmReadingExpandsWithoutAllocating) {
  ClockReading reading;
  for (const std::u16string pattern : {u"%h:nn%,%mmm%,%d%", u"%h:nn:ss%,%yy%,%mmm%,%d%,%ddd%",
                                       u"%tt h:nn:ss%,%yy%,%m%/%d%,%aaa%", u"%ggge年m月d日(aaa)% %kk5h:nn:ss% 月齢%o%%r%"}) {
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

}  // namespace
}  // namespace tavo
