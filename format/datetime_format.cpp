// The date/time formatter.
//
// Tokens are lower-case, apart from the AM/PM markers; every other character
// is copied. Upper-case letters are deliberately not tokens: the time key
// follows a lower-case "s" only, so an "SS" that showed seconds would freeze
// them until the next minute.
//
// The forms that depend on the locale are those of a Japanese system:
// ddddd is yyyy/mm/dd, dddddd is yyyy年m月d日, ttttt is h:nn:ss (always
// 24-hour), c is ddddd, a space and ttttt, AMPM is 午前/午後.
#include "format/datetime_format.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "format/datetime_tokens.h"
#include "format/xxformat.h"

namespace tavo {

namespace {

constexpr std::array<std::u16string_view, 12> kMonthLong = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};
constexpr std::array<std::u16string_view, 7> kDayLong = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                         u"Thursday", u"Friday", u"Saturday"};

struct Era {
  int year, month, day;  // first day
  char16_t letter;
  char16_t kanji;
  std::u16string_view name;
};
// Newest first. Meiji counts from 1 January 1868, as the system calendar
// does, so that Meiji 1 is the whole of 1868.
constexpr std::array<Era, 5> kEras = {{
    {2019, 5, 1, u'R', u'令', u"令和"},
    {1989, 1, 8, u'H', u'平', u"平成"},
    {1926, 12, 25, u'S', u'昭', u"昭和"},
    {1912, 7, 30, u'T', u'大', u"大正"},
    {1868, 1, 1, u'M', u'明', u"明治"},
}};

const Era* eraOf(const DateTime& t) {
  for (const Era& e : kEras) {
    if (t.year != e.year ? t.year > e.year : t.month != e.month ? t.month > e.month : t.day >= e.day) return &e;
  }
  return nullptr;
}

void appendShortDate(TextSink& out, const DateTime& t) {
  out.number(t.year, 4);
  out.put(u'/');
  out.number(t.month, 2);
  out.put(u'/');
  out.number(t.day, 2);
}

void appendLongDate(TextSink& out, const DateTime& t) {
  out.number(t.year, 4);
  out.put(u'年');
  out.number(t.month, 1);
  out.put(u'月');
  out.number(t.day, 1);
  out.put(u'日');
}

void appendTime(TextSink& out, const DateTime& t) {
  out.number(t.hour, 1);
  out.put(u':');
  out.number(t.minute, 2);
  out.put(u':');
  out.number(t.second, 2);
}

// Week 1 holds 1 January; weeks start on Sunday.
int weekOfYear(const DateTime& t) {
  const int firstWeekday = weekday(DateTime{t.year, 1, 1});
  return (dayOfYear(t) - 1 + firstWeekday) / 7 + 1;
}

void appendEraName(TextSink& out, const DateTime& t, int count) {
  const Era* era = eraOf(t);
  if (era == nullptr) return;  // before Meiji: no era to name
  if (count == 1) out.put(era->letter);
  else if (count == 2) out.put(era->kanji);
  else out.put(era->name);
}

void appendEraYear(TextSink& out, const DateTime& t, int count) {
  const Era* era = eraOf(t);
  // Before Meiji the year is written as it is, so "ggge年" still reads as a year.
  if (era == nullptr) out.number(t.year, 1);
  else out.number(t.year - era->year + 1, count);
}

}  // namespace

void TextSink::spill() { flush(); }

void TextSink::truncate(std::size_t size) {
  flush();
  if (size < out_.size()) out_.resize(size);
}

void TextSink::putLong(std::u16string_view text) {
  flush();
  if (text.size() > kCapacity) out_.append(text);
  else put(text);
}

void TextSink::anyNumber(std::int64_t value, int width) {
  char16_t digits[20];
  char16_t* const end = std::end(digits);
  char16_t* first = end;
  std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    *--first = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) put(u'-');
  for (int k = static_cast<int>(end - first); k < width; ++k) put(u'0');
  put(std::u16string_view(first, static_cast<std::size_t>(end - first)));
}

namespace tokens {

void putOther(TextSink& out, const DateTime& t, Kind kind, int n) {
  switch (kind) {
    case Kind::Day:
      if (n == 3) out.put(pick(kDayShort, weekday(t)));
      else if (n == 4) out.put(pick(kDayLong, weekday(t)));
      else if (n == 5) appendShortDate(out, t);
      else appendLongDate(out, t);
      break;
    case Kind::Weekday: out.number(n == 1 ? weekday(t) + 1 : weekOfYear(t), 1); break;
    case Kind::Month: out.put(pick(kMonthLong, t.month - 1)); break;
    case Kind::Quarter: out.number((t.month - 1) / 3 + 1, 1); break;
    case Kind::Year: out.number(dayOfYear(t), 1); break;
    case Kind::Time: appendTime(out, t); break;
    case Kind::DateAndTime:
      appendShortDate(out, t);
      out.put(u' ');
      appendTime(out, t);
      break;
    case Kind::AmPm: {
      static constexpr std::u16string_view kMarks[5][2] = {
          {u"AM", u"PM"}, {u"am", u"pm"}, {u"A", u"P"}, {u"a", u"p"}, {u"午前", u"午後"}};
      out.put(kMarks[n][t.hour >= 12 ? 1 : 0]);
      break;
    }
    case Kind::JaWeekday:
      out.put(pick(kDayKanji, weekday(t)));
      if (n == 4) out.put(u"曜日");
      break;
    case Kind::EraName: appendEraName(out, t, n); break;
    case Kind::EraYear: appendEraYear(out, t, n); break;
    default: break;
  }
}

}  // namespace tokens

void formatInto(TextSink& out, const DateTime& t, std::u16string_view pattern) {
  bool hasS = false;  // only the interpreter asks
  tokens::format<tokens::Until::End>(out, t, pattern.data(), pattern.data() + pattern.size(), hasS);
}

std::u16string formatDateTime(const DateTime& t, std::u16string_view pattern) {
  std::u16string text;
  TextSink out(text);
  formatInto(out, t, pattern);
  out.flush();
  return text;
}

}  // namespace tavo
