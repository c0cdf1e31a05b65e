#include <gtest/gtest.h>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/xxformat.h"

namespace tavo {
namespace {

constexpr DateTime kSun{2026, 12, 6, 21, 5, 7};  // Sunday evening
constexpr DateTime kFri{2026, 1, 2, 9, 5, 7};    // Friday morning
DateTime day(int y, int m, int d, int h = 0, int n = 0) { return DateTime{y, m, d, h, n, 0}; }

struct Row {
  DateTime t;
  const char* pattern;
  const char* expected;
};

void expectRows(std::initializer_list<Row> rows) {
  for (const Row& r : rows)
    EXPECT_EQ(utf8(formatDateTime(r.t, utf16(r.pattern))), r.expected)
        << r.pattern << " at " << r.t.year << "-" << r.t.month << "-" << r.t.day << " " << r.t.hour << ":" << r.t.minute;
}

TEST(DateTimeFormat, TokensOfTheClocksOwnPatternsAndMAfterAnHourIsAMinute) {
  expectRows({{kFri, "h|hh|n|nn|s|ss", "9|09|5|05|7|07"}, {kSun, "h:nn", "21:05"}, {kFri, "d|m|yy|yyyy", "2|1|26|2026"},
              {day(2005, 3, 1), "yy", "05"}, {kSun, "mmm ddd aaa", "Dec Sun 日"}, {kFri, "mmm ddd aaa", "Jan Fri 金"},
              {kFri, "hh:mm", "09:05"}, {kFri, "h時m分", "9時5分"}, {kFri, "m/d h", "1/2 9"},
              {kFri, "h:nn m", "9:05 1"}, {kFri, "h mmm", "9 Jan"}});
}

TEST(DateTimeFormat, OtherDayMonthYearAndWeekForms) {
  expectRows({
      {kFri, "dd|mm|dddd|mmmm|aaaa", "02|01|Friday|January|金曜日"}, {kFri, "ttttt", "9:05:07"},
      {kSun, "ddddd|dddddd", "2026/12/06|2026年12月6日"}, {kSun, "c", "2026/12/06 21:05:07"},
      {kSun, "y q w", "340 4 1"}, {day(2024, 12, 31), "y", "366"}, {day(2026, 3, 31), "q", "1"},
      {day(2026, 4, 1), "q w", "2 4"},
      // Week 1 holds 1 January, weeks start on Sunday.
      {day(2026, 1, 3), "ww", "1"}, {day(2026, 1, 4), "ww", "2"}, {kSun, "ww", "50"}, {day(2022, 12, 31), "ww", "53"},
  });
}

TEST(DateTimeFormat, JapaneseErasAndTheirFirstDays) {
  expectRows({
      {kSun, "ggge年|gge|gee", "令和8年|令8|R08"}, {day(2019, 4, 30), "ggge", "平成31"},
      {day(2019, 5, 1), "ggge", "令和1"}, {day(1989, 1, 7), "ggge", "昭和64"}, {day(1989, 1, 8), "ge", "H1"},
      {day(1926, 12, 24), "ggge", "大正15"}, {day(1926, 12, 25), "ge", "S1"}, {day(1912, 7, 29), "ggge", "明治45"},
      {day(1912, 7, 30), "gge", "大1"}, {day(1868, 1, 1), "ggge", "明治1"},
      {day(1867, 12, 31), "ggge年", "1867年"},  // before Meiji: no name, the plain year
  });
}

TEST(DateTimeFormat, LiteralTextAndCharactersThatAreNoTokens) {
  expectRows({
      {kSun, "\"h:nn\" h", "h:nn 21"}, {kSun, "\\h\\\\h", "h\\21"}, {kSun, "h\\", "21"},
      {kSun, "\"open h", "open h"}, {kSun, "tt a aa :/-,.", "tt a aa :/-,."},
      {kSun, "H:NN:SS YYYY T K O R", "H:NN:SS YYYY T K O R"},  // upper case is no token
      {kSun, "\xF0\x9F\x8C\x99h", "\xF0\x9F\x8C\x99" "21"},
  });
}

TEST(TextSink, TextLongerThanItsBufferArrivesWholeAndInOrder) {
  std::u16string expected, text;
  TextSink out(text);
  for (int k = 0; k < 300; ++k) {
    const std::u16string piece(static_cast<std::size_t>(k % 90), static_cast<char16_t>(u'a' + k % 26));
    out.put(piece);
    out.number(k - 150, 4);
    expected += piece + zeroPadded(k - 150, 4);
  }
  ASSERT_EQ(out.size(), expected.size());
  out.truncate(100);
  out.put(u"end");
  out.flush();
  EXPECT_EQ(text, expected.substr(0, 100) + u"end");
  // The long-date form crosses the buffer's end.
  EXPECT_EQ(formatDateTime(kSun, std::u16string(60, u'-') + u"dddddd"), std::u16string(60, u'-') + u"2026年12月6日");
}

}  // namespace
}  // namespace tavo
