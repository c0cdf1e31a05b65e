#include <gtest/gtest.h>

#include "base/text.h"
#include "format/xxformat.h"
#include "boxed.h"

namespace tavo {
namespace {

class FieldTest : public ::testing::Test, public test::Boxed {
 protected:
  // Exactly one report so far: `number` under `procedure`.
  void expectOneReport(std::u16string_view procedure, int number) {
    EXPECT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(test::reportCount(prompt.shown, xxLocation(procedure), number), 1);
  }
};

DateTime noonOf(int year, int month, int day) { return DateTime{year, month, day, 12, 0, 0}; }

TEST_F(FieldTest, MoonAgeOfKnownDates) {
  // The last two: v = -30 gives 0, not 30; (Y - 4) / 19 is whole, so the floor must not step down.
  const struct { DateTime date; int age; } cases[] = {{noonOf(2000, 1, 6), 28}, {noonOf(2001, 1, 1), 4},
      {noonOf(2026, 1, 18), 27}, {noonOf(2026, 12, 6), 26}, {noonOf(2005, 1, 13), 0}, {noonOf(2018, 12, 9), 0}};
  for (const auto& c : cases) EXPECT_EQ(MoonAge(c.date, reporter), c.age) << c.date.year << "-" << c.date.month;
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FieldTest, MoonGraphicGivesBoundariesToTheLowerRange) {
  const struct { std::int16_t age; const char* glyph; } cases[] = {
      {0, "*-"}, {3, "*-"}, {4, " )"}, {6, " )"}, {7, "|)"}, {10, "|)"}, {11, "○"}, {20, "○"}, {21, "(|"}, {24, "(|"},
      {25, "( "}, {27, "( "}, {28, "-*"}, {30, "-*"}, {31, "??"}, {-1, ""}, {-32768, ""}};
  for (const auto& c : cases) EXPECT_EQ(utf8(MoonGraphic(c.age, reporter)), c.glyph) << c.age;
}

TEST_F(FieldTest, TwelveHourAndPastMidnightHours) {
  const struct { const char* code; int hour, minute; const char* result; } cases[] = {
      {"tt h:nn", 21, 5, "9:05"}, {"tt h:nn", 12, 30, "0:30"}, {"tt h:nn", 0, 30, "0:30"}, {"t", 15, 40, "3"},
      {"tt hh:nn", 13, 7, "01:07"}, {"tt x:nn", 21, 5, "9:05"}, {"tth:nn", 21, 5, "905"}, {"kk9hh", 0, 15, "24"},
      {"kk5h:nn", 3, 10, "27:10"}, {"kk5h:nn", 5, 0, "5:00"}, {"kk5h:nn", 4, 59, "28:59"}, {"kk0h:nn", 0, 15, "0:15"},
      {"kk5hh:nn", 3, 10, "27:10"}, {"kk5hh:nn", 9, 5, "09:05"}, {"kk5 \"h\"", 23, 10, "23h"},
  };
  for (const auto& c : cases) {
    const DateTime now{2026, 12, 6, c.hour, c.minute, 0};
    const std::u16string code = utf16(c.code);
    EXPECT_EQ(utf8(code[0] == u't' ? APTime(now, code, reporter) : KTime(now, code, reporter)), c.result)
        << c.code << " at " << c.hour << ":" << c.minute;
  }
  EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(FieldTest, KTimeWithoutALimitDigitReportsAndDoesNotShift) {
  const DateTime night{2026, 12, 6, 3, 10, 0};
  EXPECT_EQ(KTime(night, u"kkxh:nn", reporter) + u"|" + KTime(night, u"k", reporter), u"3:10|3");
  expectOneReport(u"KTime", err::kTypeMismatch);
}

TEST_F(FieldTest, FreeResources) {
  fake::FakeResources resources;  // as on NT: no library, silently 0
  const auto free = [&](const char16_t* code) { return FreeSysResource(code, resources, reporter); };
  EXPECT_EQ(free(u"RS"), u"0");
  EXPECT_TRUE(prompt.shown.empty());

  resources.present = true;
  resources.figures[0] = 81, resources.figures[1] = 72, resources.figures[2] = 63, resources.calls = 0;
  EXPECT_EQ(free(u"RS") + free(u"RGDI") + free(u"RU"), u"817263");
  for (const auto* code : {u"Rx", u"R", u"Rs", u"rs"}) EXPECT_EQ(free(code), u"0");
  EXPECT_EQ(resources.calls, 3);  // asked every time, and only for the three kinds

  resources.failWith = err::kDllEntryPoint;
  EXPECT_EQ(free(u"RG"), u"0");
  expectOneReport(u"FreeSysResource", err::kDllEntryPoint);
}

}  // namespace
}  // namespace tavo
