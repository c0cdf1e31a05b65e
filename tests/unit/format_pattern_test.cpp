#include <gtest/gtest.h>

#include "base/text.h"
#include "format/xxformat.h"
#include "boxed.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

class PatternTest : public ::testing::Test, public test::Boxed {
 protected:
  struct Case { const char *pattern, *text, *key; };
  void expectCases(std::initializer_list<Case> cases, const DateTime& now) {
    for (const Case& c : cases) {
      const ClockReading r = FromXXFToShowClk(utf16(c.pattern), now, resources, reporter);
      EXPECT_EQ(utf8(r.text), c.text) << c.pattern;
      EXPECT_EQ(utf8(r.timeKey), c.key) << c.pattern;
    }
  }
  bool reported(std::u16string_view p, int n) const { return test::reportCount(prompt.shown, xxLocation(p), n); }
  fake::FakeResources resources;
};

constexpr DateTime kMorning{2026, 12, 6, 9, 5, 7};   // Sunday 9:05:07
constexpr DateTime kEvening{2026, 12, 6, 21, 5, 7};  // Sunday 21:05:07

TEST_F(PatternTest, EdgeCasesOfTheScan) {
  expectCases({{"", "", "9:5"}, {"abc", "abc", "9:5"}, {"a\\%b", "a%b", "9:5"}, {"a\\\\b", "a\\b", "9:5"},
               {"ab\\", "ab", "9:5"}, {"x%%y", "xy", "9:5"}, {"%h:nn%", "9:05", "9:5"}, {"abc%", "abc", "9:5"},
               {"%h:nn:ss%", "9:05:07", "9:5:7"}, {"%", "", "9:5"}, {"abc%h", "XXErr", "9:5"}, {"%h%x%n", "XXErr", "9:5"},
               {"%ss%x%n", "XXErr", "9:5:7"},  // the key keeps what came before the open placeholder
               {"%h%%s", "XXErr", "9:5"},      // the open one never reaches the "s" test
               {"%a\\%b%", "ab", "9:5"},       // inside a placeholder "\" is the formatter's
               {"%RS%", "0", "9:5"}, {"%Rs%", "0", "9:5:7"}, {"%\"s\"%", "s", "9:5:7"},  // every code counts for the key
               {"%o% %r%", "26 ( ", "9:5"}, {"時刻 %h時nn分% 済", "時刻 9時05分 済", "9:5"},
               {"%T%,%K5h%,%O%,%S%", "T,K59,O,S", "9:5"}},  // capitals are formatter patterns
              kMorning);
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(PatternTest, StandardPatternPieces) {
  expectCases({{"%h:nn%,%mmm%,%d%", "21:05,Dec,6", "21:5"}, {"%tt h:nn:ss%", "9:05:07", "21:5:7"},
               {"%h:nn:ss%,%mmm%,%d%,%ddd%", "21:05:07,Dec,6,Sun", "21:5:7"},
               {"%tt h:nn%,%yy%,%m%/%d%,%aaa%", "9:05,26,12/6,日", "21:5"}}, kEvening);
}

TEST_F(PatternTest, FieldsSeeTheSameReadingAndReportTheirOwnErrors) {
  resources.present = true, resources.figures[1] = 72;
  expectCases({{"%RG% %kk9h:nn% %t% %o%%r%", "72 27:10 3 26( ", "3:10"}}, {2026, 12, 6, 3, 10, 0});

  resources.failWith = err::kDllEntryPoint;
  expectCases({{"[%RS%][%kxh%]", "[0][9]", "9:5"}, {"%RS%%ss%%h", "XXErr", "9:5:7"}}, kMorning);
  EXPECT_EQ(prompt.shown.size(), 2u);  // the fields' own reports only, none for the open placeholder
  EXPECT_TRUE(reported(u"FreeSysResource", err::kDllEntryPoint));
  EXPECT_TRUE(reported(u"KTime", err::kTypeMismatch));
}

}  // namespace
}  // namespace tavo
