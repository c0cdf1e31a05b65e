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

#include "format/xxformat.h"

namespace tavo {

namespace {

constexpr std::array<std::u16string_view, 12> kMonthShort = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                                             u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
constexpr std::array<std::u16string_view, 12> kMonthLong = {
    u"January", u"February", u"March",     u"April",   u"May",      u"June",
    u"July",    u"August",   u"September", u"October", u"November", u"December"};
constexpr std::array<std::u16string_view, 7> kDayShort = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
constexpr std::array<std::u16string_view, 7> kDayLong = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                                         u"Thursday", u"Friday", u"Saturday"};
constexpr std::array<char16_t, 7> kDayKanji = {u'日', u'月', u'火', u'水', u'木', u'金', u'土'};

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

// Table index that stays inside the table whatever the date holds.
template <class Table>
const auto& pick(const Table& table, int index) {
  const auto k = static_cast<std::size_t>(index);
  return table[k < table.size() ? k : 0];
}

enum class Kind : std::uint8_t {
  Text,        // copied: [pos, pos + len)
  Day,         // d .. dddddd (count 1-6)
  Weekday,     // w, ww (count 1-2)
  Month,       // m .. mmmm (count 1-4); m, mm right after an hour are minutes
  Quarter,     // q
  Year,        // y, yy, yyyy (count 1, 2, 4)
  Hour,        // h, hh
  Minute,      // n, nn
  Second,      // s, ss
  Time,        // ttttt
  DateAndTime, // c
  AmPm,        // count: 0 "AM/PM", 1 "am/pm", 2 "A/P", 3 "a/p", 4 "AMPM"
  JaWeekday,   // aaa, aaaa (count 3-4)
  EraName,     // g, gg, ggg
  EraYear,     // e, ee
};

struct Token {
  Kind kind;
  int count;
  std::size_t pos, len;  // text to copy (Text only)
  std::size_t width;     // characters of the pattern taken
};

constexpr bool mayStartToken(char16_t c) {
  switch (c) {
    case u'"': case u'\\': case u'd': case u'w': case u'm': case u'q': case u'y': case u'h': case u'n':
    case u's': case u't': case u'c': case u'g': case u'e': case u'A': case u'a':
      return true;
    default:
      return false;
  }
}

// Reads the token at `i`. Runs longer than a token are taken greedily, the
// rest becomes the next token. Inlined: it runs for every piece of every
// pattern on every tick.
[[gnu::always_inline]] inline Token lex(std::u16string_view p, std::size_t i) {
  const char16_t c = p[i];
  const auto run = [&](std::size_t most) {
    const std::size_t limit = std::min(p.size(), i + most);
    std::size_t k = i + 1;
    while (k < limit && p[k] == c) ++k;
    return k - i;
  };
  const auto at = [&](std::u16string_view s) { return p.substr(i, s.size()) == s; };
  const auto token = [](Kind kind, std::size_t n) { return Token{kind, static_cast<int>(n), 0, 0, n}; };
  const Token literal{Kind::Text, 0, i, 1, 1};

  switch (c) {
    case u'"': {
      // Quoted text; an unclosed quote runs to the end of the pattern.
      const auto end = p.find(u'"', i + 1);
      if (end == std::u16string_view::npos) return {Kind::Text, 0, i + 1, p.size() - i - 1, p.size() - i};
      return {Kind::Text, 0, i + 1, end - i - 1, end - i + 1};
    }
    case u'\\':
      if (i + 1 < p.size()) return {Kind::Text, 0, i + 1, 1, 2};
      return {Kind::Text, 0, i, 0, 1};
    case u'd': return token(Kind::Day, run(6));
    case u'w': return token(Kind::Weekday, run(2));
    case u'm': return token(Kind::Month, run(4));
    case u'q': return token(Kind::Quarter, 1);
    case u'y': {
      const std::size_t n = run(4);
      return token(Kind::Year, n == 3 ? 2 : n);
    }
    case u'h': return token(Kind::Hour, run(2));
    case u'n': return token(Kind::Minute, run(2));
    case u's': return token(Kind::Second, run(2));
    case u't': {
      const std::size_t n = run(5);
      if (n == 5) return token(Kind::Time, 5);
      return {Kind::Text, 0, i, n, n};
    }
    case u'c': return token(Kind::DateAndTime, 1);
    case u'g': return token(Kind::EraName, run(3));
    case u'e': return token(Kind::EraYear, run(2));
    case u'A':
      if (at(u"AM/PM")) return {Kind::AmPm, 0, 0, 0, 5};
      if (at(u"AMPM")) return {Kind::AmPm, 4, 0, 0, 4};
      if (at(u"A/P")) return {Kind::AmPm, 2, 0, 0, 3};
      return literal;
    case u'a': {
      if (at(u"am/pm")) return {Kind::AmPm, 1, 0, 0, 5};
      if (at(u"a/p")) return {Kind::AmPm, 3, 0, 0, 3};
      const std::size_t n = run(4);
      if (n >= 3) return token(Kind::JaWeekday, n);
      // "a" and "aa" are plain text, taken whole so that "aa/p" is not read as "a" + "a/p".
      return {Kind::Text, 0, i, n, n};
    }
    default: {
      // Plain text up to the next character that may start a token, copied in one piece.
      std::size_t k = i + 1;
      while (k < p.size() && !mayStartToken(p[k])) ++k;
      return {Kind::Text, 0, i, k - i, k - i};
    }
  }
}

// With an AM/PM marker in the pattern the hour tokens count 1 to 12.
bool hasAmPm(std::u16string_view p) {
  if (std::find_if(p.begin(), p.end(), [](char16_t c) { return (c | 0x20) == u'a'; }) == p.end()) return false;
  for (std::size_t i = 0; i < p.size();) {
    const Token t = lex(p, i);
    if (t.kind == Kind::AmPm) return true;
    i += t.width;
  }
  return false;
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

namespace {

// The tokens that the clock's own patterns never use, kept out of the main
// loop so that it stays small.
[[gnu::noinline]] void putOther(TextSink& out, const DateTime& t, Kind kind, int n) {
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

}  // namespace

void formatInto(TextSink& out, const DateTime& t, std::u16string_view p) {
  int twelveHour = -1;     // looked up at the first hour token: most patterns have none
  bool afterHour = false;  // an m or mm now is a minute
  for (std::size_t i = 0; i < p.size();) {
    const Token tok = lex(p, i);
    i += tok.width;
    const int n = tok.count;
    const bool wasAfterHour = afterHour;
    afterHour = false;
    switch (tok.kind) {
      case Kind::Text:
        afterHour = wasAfterHour;  // text between an hour and an m keeps it a minute
        if (tok.len == 1) out.put(p[tok.pos]);
        else out.put(p.substr(tok.pos, tok.len));
        break;
      case Kind::Day:
        if (n <= 2) out.number(t.day, n);
        else putOther(out, t, tok.kind, n);
        break;
      case Kind::Month:
        if (n <= 2) out.number(wasAfterHour ? t.minute : t.month, n);
        else if (n == 3) out.put(pick(kMonthShort, t.month - 1));
        else putOther(out, t, tok.kind, n);
        break;
      case Kind::Year:
        if (n == 2) out.number(((t.year % 100) + 100) % 100, 2);
        else if (n == 4) out.number(t.year, 4);
        else putOther(out, t, tok.kind, n);
        break;
      case Kind::Hour: {
        int h = t.hour;
        if (twelveHour < 0) twelveHour = hasAmPm(p) ? 1 : 0;
        if (twelveHour == 1) h = h % 12 == 0 ? 12 : h % 12;
        out.number(h, n);
        afterHour = true;
        break;
      }
      case Kind::Minute: out.number(t.minute, n); break;
      case Kind::Second: out.number(t.second, n); break;
      default: putOther(out, t, tok.kind, n); break;
    }
  }
}

std::u16string formatDateTime(const DateTime& t, std::u16string_view pattern) {
  std::u16string text;
  TextSink out(text);
  formatInto(out, t, pattern);
  out.flush();
  return text;
}

}  // namespace tavo
