#pragma once
// The date/time formatter's token rules and its inner loop, shared by the
// formatter and the clock pattern interpreter. Only for format/.
//
// The interpreter has the formatter read a placeholder's code in place, up
// to the "%" that closes it, so that the code is read once rather than
// searched first and formatted after; the loop is inlined there, as it runs
// for every placeholder on every tick.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/datetime.h"
#include "format/datetime_format.h"

namespace tavo::tokens {

enum class Kind : std::uint8_t {
  Text,        // copied as it is; holds no token letter
  Quoted,      // quoted or escaped text, copied as it is
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

// What ends the text being read: the end, or for a placeholder code read
// in place, also the first "%".
enum class Until : std::uint8_t { End, Percent };

constexpr bool mayStartToken(char16_t c) {
  switch (c) {
    case u'"': case u'\\': case u'd': case u'w': case u'm': case u'q': case u'y': case u'h': case u'n':
    case u's': case u't': case u'c': case u'g': case u'e': case u'A': case u'a':
      return true;
    default:
      return false;
  }
}

template <Until kUntil>
constexpr bool ends(char16_t c) {
  return kUntil == Until::Percent && c == u'%';
}

// The token rules, read in one place: calls visit(kind, count, text) for
// each token from `s` on (text: what a Text token copies) until visit
// answers false; returns where reading stopped. Runs longer than a token
// are taken greedily, the rest becomes the next token. Always inlined, so
// that every call of visit sees its kind as a constant: the formatter's
// loop is then one switch on the pattern's characters.
template <Until kUntil, class Visit>
[[gnu::always_inline]] inline const char16_t* walk(const char16_t* s, const char16_t* const end, Visit&& visit) {
  while (s != end) {
    const char16_t* const start = s;
    const char16_t c = *s;
    if (ends<kUntil>(c)) break;
    // The run of c, at most `most` long; s moves past it.
    const auto run = [&](std::ptrdiff_t most) {
      const char16_t* const limit = end - s > most ? s + most : end;
      while (++s != limit && *s == c) {
      }
      return static_cast<int>(s - start);
    };
    const auto at = [&](std::u16string_view word) {
      if (static_cast<std::size_t>(end - s) < word.size() || std::u16string_view(s, word.size()) != word) return false;
      s += word.size();
      return true;
    };
    const auto taken = [&] { return std::u16string_view(start, static_cast<std::size_t>(s - start)); };
    const std::u16string_view none;
    bool more = true;
    switch (c) {
      case u'"': {
        // Quoted text; an unclosed quote runs to the end.
        const char16_t* const close = std::find_if(s + 1, end, [](char16_t k) { return k == u'"' || ends<kUntil>(k); });
        more = visit(Kind::Quoted, 0, std::u16string_view(s + 1, static_cast<std::size_t>(close - s - 1)));
        s = close != end && *close == u'"' ? close + 1 : close;
        break;
      }
      case u'\\':
        // The next character as it is; a backslash at the end escapes nothing.
        s = s + 1 == end || ends<kUntil>(s[1]) ? s + 1 : s + 2;
        more = visit(Kind::Quoted, 0, std::u16string_view(start + 1, static_cast<std::size_t>(s - start - 1)));
        break;
      case u'd': more = visit(Kind::Day, run(6), none); break;
      case u'w': more = visit(Kind::Weekday, run(2), none); break;
      case u'm': more = visit(Kind::Month, run(4), none); break;
      case u'q': ++s; more = visit(Kind::Quarter, 1, none); break;
      case u'y': {
        int n = run(4);
        if (n == 3) {  // "yyy" is "yy" and "y"
          --s;
          n = 2;
        }
        more = visit(Kind::Year, n, none);
        break;
      }
      case u'h': more = visit(Kind::Hour, run(2), none); break;
      case u'n': more = visit(Kind::Minute, run(2), none); break;
      case u's': more = visit(Kind::Second, run(2), none); break;
      case u't':
        more = run(5) == 5 ? visit(Kind::Time, 5, none) : visit(Kind::Text, 0, taken());
        break;
      case u'c': ++s; more = visit(Kind::DateAndTime, 1, none); break;
      case u'g': more = visit(Kind::EraName, run(3), none); break;
      case u'e': more = visit(Kind::EraYear, run(2), none); break;
      case u'A':
        if (at(u"AM/PM")) more = visit(Kind::AmPm, 0, none);
        else if (at(u"AMPM")) more = visit(Kind::AmPm, 4, none);
        else if (at(u"A/P")) more = visit(Kind::AmPm, 2, none);
        else more = visit(Kind::Text, 0, std::u16string_view(s++, 1));
        break;
      case u'a': {
        if (at(u"am/pm")) {
          more = visit(Kind::AmPm, 1, none);
        } else if (at(u"a/p")) {
          more = visit(Kind::AmPm, 3, none);
        } else {
          // "a" and "aa" are plain text, taken whole so that "aa/p" is not read as "a" + "a/p".
          const int n = run(4);
          more = n >= 3 ? visit(Kind::JaWeekday, n, none) : visit(Kind::Text, 0, taken());
        }
        break;
      }
      default:
        // Plain text up to the next character that may start a token, copied in one piece.
        while (++s != end && !mayStartToken(*s) && !ends<kUntil>(*s)) {
        }
        more = visit(Kind::Text, 0, taken());
        break;
    }
    if (!more) break;
  }
  return s;
}

inline constexpr std::array<std::u16string_view, 12> kMonthShort = {
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
inline constexpr std::array<std::u16string_view, 7> kDayShort = {u"Sun", u"Mon", u"Tue", u"Wed",
                                                                 u"Thu", u"Fri", u"Sat"};
inline constexpr std::array<char16_t, 7> kDayKanji = {u'日', u'月', u'火', u'水', u'木', u'金', u'土'};

// Table index that stays inside the table whatever the date holds.
template <class Table>
const auto& pick(const Table& table, int index) {
  const auto k = static_cast<std::size_t>(index);
  return table[k < table.size() ? k : 0];
}

// The tokens that the clock's own patterns never use, out of the loop.
[[gnu::noinline]] void putOther(TextSink& out, const DateTime& t, Kind kind, int n);

// The formatter's loop: `t` written with the text from `s` on; returns
// where reading stopped. Reading a placeholder code in place, `hasS` tells
// whether the code holds a lower-case "s".
template <Until kUntil>
[[gnu::always_inline]] inline const char16_t* format(TextSink& out, const DateTime& t, const char16_t* const s,
                                                      const char16_t* const end, bool& hasS) {
  // An AM/PM marker anywhere makes the hours count 1 to 12. Hours are
  // written as 24-hour ones until a marker turns up; one behind an hour
  // already written has the pattern written again from its start, which
  // only patterns of the user's own with a marker after the hour take.
  bool twelveHour = false;
  bool hourWritten = false;
  bool again = false;
  const std::size_t start = out.size();
  for (;;) {
    bool afterHour = false;  // an m or mm now is a minute
    const char16_t* const stop = walk<kUntil>(s, end, [&](Kind kind, int n, std::u16string_view text) {
      const bool wasAfterHour = afterHour;
      afterHour = false;
      switch (kind) {
        case Kind::Quoted:
          // Besides the second tokens, only quoted text can hold an "s".
          if constexpr (kUntil == Until::Percent) hasS |= text.find(u's') != text.npos;
          [[fallthrough]];
        case Kind::Text:
          afterHour = wasAfterHour;  // text between an hour and an m keeps it a minute
          if (text.size() == 1) out.put(text.front());
          else out.put(text);
          break;
        case Kind::Day:
          if (n <= 2) out.number(t.day, n);
          else if (n == 3) out.put(pick(kDayShort, weekday(t)));
          else putOther(out, t, kind, n);
          break;
        case Kind::Month:
          if (n <= 2) out.number(wasAfterHour ? t.minute : t.month, n);
          else if (n == 3) out.put(pick(kMonthShort, t.month - 1));
          else putOther(out, t, kind, n);
          break;
        case Kind::Year:
          if (n == 2) out.number(((t.year % 100) + 100) % 100, 2);
          else if (n == 4) out.number(t.year, 4);
          else putOther(out, t, kind, n);
          break;
        case Kind::Hour: {
          int h = t.hour;
          if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
          out.number(h, n);
          hourWritten = true;
          afterHour = true;
          break;
        }
        case Kind::Minute: out.number(t.minute, n); break;
        case Kind::Second:
          hasS = true;
          out.number(t.second, n);
          break;
        case Kind::AmPm:
          if (!twelveHour && hourWritten) {
            again = true;
            return false;
          }
          twelveHour = true;
          putOther(out, t, kind, n);
          break;
        case Kind::JaWeekday:
          if (n == 3) out.put(pick(kDayKanji, weekday(t)));
          else putOther(out, t, kind, n);
          break;
        default: putOther(out, t, kind, n); break;
      }
      return true;
    });
    if (!again) return stop;
    again = false;
    twelveHour = true;
    out.truncate(start);
  }
}

}  // namespace tavo::tokens
