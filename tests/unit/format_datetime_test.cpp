#include <gtest/gtest.h>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/xxformat.h"

namespace tavo {
namespace {

constexpr DateTime kSunEvening{2026, 12, 6, 21, 5, 7};   // Sunday
constexpr DateTime kFriMorning{2026, 1, 2, 9, 5, 7};     // Friday

struct Row {
  DateTime t;
  const char* pattern;
  const char* expected;
};

void expectRows(std::initializer_list<Row> rows) {
  for (const Row& r : rows) {
    EXPECT_EQ(utf8(formatDateTime(r.t, utf16(r.pattern))), r.expected)
        << "pattern " << r.pattern << " at " << r.t.year << "-" << r.t.month << "-" << r.t.day << " " << r.t.hour
        << ":" << r.t.minute << ":" << r.t.second;
  }
}

TEST(DateTimeFormat, TokensOfTheSystemsOwnPatterns) {
  expectRows({
      {kFriMorning, "h", "9"},      {kFriMorning, "hh", "09"},    {kSunEvening, "h", "21"},
      {kFriMorning, "n", "5"},      {kFriMorning, "nn", "05"},    {kFriMorning, "s", "7"},
      {kFriMorning, "ss", "07"},    {kFriMorning, "d", "2"},      {kFriMorning, "m", "1"},
      {kSunEvening, "yy", "26"},    {kSunEvening, "yyyy", "2026"}, {kSunEvening, "mmm", "Dec"},
      {kFriMorning, "mmm", "Jan"},  {kSunEvening, "ddd", "Sun"},  {kFriMorning, "ddd", "Fri"},
      {kSunEvening, "aaa", "日"},   {kFriMorning, "aaa", "金"},   {kSunEvening, "h:nn", "21:05"},
      {{2005, 3, 1, 0, 0, 0}, "yy", "05"},
  });
}

TEST(DateTimeFormat, DayMonthYearForms) {
  expectRows({
      {kFriMorning, "dd", "02"},
      {kFriMorning, "mm", "01"},
      {kSunEvening, "dddd", "Sunday"},
      {kFriMorning, "dddd", "Friday"},
      {kSunEvening, "mmmm", "December"},
      {{2026, 9, 1, 0, 0, 0}, "mmmm", "September"},
      {kSunEvening, "ddddd", "2026/12/06"},
      {kSunEvening, "dddddd", "2026年12月6日"},
      {kFriMorning, "ttttt", "9:05:07"},
      {kSunEvening, "c", "2026/12/06 21:05:07"},
      {kFriMorning, "aaaa", "金曜日"},
      {kSunEvening, "y", "340"},
      {{2024, 12, 31, 0, 0, 0}, "y", "366"},
      {kFriMorning, "q", "1"},
      {{2026, 3, 31, 0, 0, 0}, "q", "1"},
      {{2026, 4, 1, 0, 0, 0}, "q", "2"},
      {kSunEvening, "q", "4"},
  });
}

TEST(DateTimeFormat, WeeksStartOnSundayAndWeekOneHoldsTheFirstOfJanuary) {
  expectRows({
      {kSunEvening, "w", "1"},
      {kFriMorning, "w", "6"},
      {{2026, 1, 1, 0, 0, 0}, "ww", "1"},   // a Thursday
      {{2026, 1, 3, 0, 0, 0}, "ww", "1"},   // Saturday: still week 1
      {{2026, 1, 4, 0, 0, 0}, "ww", "2"},   // Sunday starts week 2
      {kSunEvening, "ww", "50"},
      {{2023, 1, 1, 0, 0, 0}, "ww", "1"},   // a Sunday
      {{2023, 1, 8, 0, 0, 0}, "ww", "2"},
      {{2022, 12, 31, 0, 0, 0}, "ww", "53"},
  });
}

TEST(DateTimeFormat, MAfterAnHourIsAMinute) {
  expectRows({
      {kFriMorning, "hh:mm", "09:05"},
      {kFriMorning, "h:m", "9:5"},
      {kFriMorning, "h時m分", "9時5分"},
      {kFriMorning, "m/d h", "1/2 9"},
      {kFriMorning, "h:nn m", "9:05 1"},   // another token in between: a month again
      {kFriMorning, "h mmm", "9 Jan"},     // the names are always months
  });
}

TEST(DateTimeFormat, AmPmMarkersFollowTheHourAndMakeHoursTwelveHour) {
  expectRows({
      {kSunEvening, "h:nn AM/PM", "9:05 PM"},
      {kFriMorning, "hh:nn am/pm", "09:05 am"},
      {kSunEvening, "A/P", "P"},
      {kFriMorning, "a/p", "a"},
      {kSunEvening, "AMPM h:nn", "午後 9:05"},
      {kFriMorning, "AMPM", "午前"},
      {{2026, 1, 1, 0, 30, 0}, "h AM/PM", "12 AM"},
      {{2026, 1, 1, 12, 30, 0}, "h:nn A/P", "12:30 P"},
      {{2026, 1, 1, 11, 59, 0}, "hh a/p", "11 a"},
      {kSunEvening, "ttttt AM/PM", "21:05:07 PM"},   // the time form stays 24-hour
      {kSunEvening, "aa/p h", "aa/p 21"},            // "aa" is text, not "a" and a marker
  });
}

TEST(DateTimeFormat, JapaneseEras) {
  expectRows({
      {kSunEvening, "ggge年", "令和8年"},
      {kSunEvening, "gge", "令8"},
      {kSunEvening, "gee", "R08"},
      {{2019, 4, 30, 0, 0, 0}, "ggge", "平成31"},
      {{2019, 5, 1, 0, 0, 0}, "ggge", "令和1"},
      {{1989, 1, 7, 0, 0, 0}, "ggge", "昭和64"},
      {{1989, 1, 8, 0, 0, 0}, "ge", "H1"},
      {{1926, 12, 24, 0, 0, 0}, "ggge", "大正15"},
      {{1926, 12, 25, 0, 0, 0}, "ge", "S1"},
      {{1912, 7, 29, 0, 0, 0}, "ggge", "明治45"},
      {{1912, 7, 30, 0, 0, 0}, "gge", "大1"},
      {{1868, 1, 1, 0, 0, 0}, "ggge", "明治1"},
      {{1867, 12, 31, 0, 0, 0}, "ggge年", "1867年"},   // before Meiji: no name, the plain year
  });
}

TEST(DateTimeFormat, LiteralTextAndCharactersThatAreNoTokens) {
  expectRows({
      {kSunEvening, "\"h:nn\" h", "h:nn 21"},
      {kSunEvening, "\\h\\\\h", "h\\21"},
      {kSunEvening, "h\\", "21"},                      // a final backslash copies nothing
      {kSunEvening, "\"open h", "open h"},             // an unclosed quote runs to the end
      {kSunEvening, "H:NN:SS YYYY", "H:NN:SS YYYY"},   // upper case is not a token
      {kSunEvening, "T K O R", "T K O R"},
      {kSunEvening, "tt h", "tt 21"},
      {kSunEvening, "a aa :/-,.", "a aa :/-,."},
      {kSunEvening, "時刻 h", "時刻 21"},
      {kSunEvening, "\xF0\x9F\x8C\x99h", "\xF0\x9F\x8C\x99" "21"},
      {kSunEvening, "", ""},
  });
}

TEST(TextSink, NumbersArePaddedLikeZeroPadded) {
  std::u16string text;
  {
    TextSink out(text);
    for (const auto& [value, width] : {std::pair{7LL, 2}, {123LL, 2}, {0LL, 1}, {-5LL, 3}, {INT64_MIN, 1}}) {
      out.number(value, width);
      out.put(u'|');
    }
  }
  EXPECT_EQ(text, u"07|123|0|-005|" + zeroPadded(INT64_MIN, 1) + u"|");
}

TEST(TextSink, TextLongerThanItsBufferArrivesWholeAndInOrder) {
  std::u16string expected, text;
  {
    TextSink out(text);
    for (int k = 0; k < 300; ++k) {
      out.put(static_cast<char16_t>(u'a' + k % 26));
      expected += static_cast<char16_t>(u'a' + k % 26);
      if (k % 7 == 0) {
        const std::u16string piece(static_cast<std::size_t>(k % 90), u'x');
        out.put(piece);
        expected += piece;
      }
    }
    EXPECT_EQ(out.size(), expected.size());
    out.truncate(100);
    expected.resize(100);
    out.put(u"end");
    expected += u"end";
  }
  EXPECT_EQ(text, expected);
  // Through the formatter as well: the long-date form crosses the buffer's end.
  std::u16string pattern(60, u'-');
  pattern += u"dddddd";
  EXPECT_EQ(formatDateTime(kSunEvening, pattern), std::u16string(60, u'-') + u"2026年12月6日");
}

}  // namespace
}  // namespace tavo
