// The 12-hour and past-midnight hour fields and the free-resource field.
#include <cstdint>
#include <new>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/fields.h"
#include "format/xx_step.h"
#include "format/xxformat.h"

namespace tavo {

namespace {

// Characters `from` (counted from 1) on, at most `count` of them; empty past the end.
std::u16string_view mid(std::u16string_view code, std::size_t from, std::size_t count = std::u16string_view::npos) {
  if (from > code.size()) return {};
  return code.substr(from - 1, count);
}

// Characters 4 and 5 select the two-digit hour; the rest pattern follows the hour mark.
bool twoDigitHour(std::u16string_view code) { return code.size() >= 5 && code[3] == u'h' && code[4] == u'h'; }
std::u16string_view restPattern(std::u16string_view code) { return mid(code, twoDigitHour(code) ? 6 : 5); }

}  // namespace

void putAPTime(TextSink& out, const DateTime& now, std::u16string_view code, Reporter& reporter) {
  constexpr std::u16string_view kWhere = u"APTime";
  std::int32_t hour = 0;
  xxStep(reporter, kWhere, [&] { hour = now.hour; });
  if (hour >= 12) hour -= 12;  // noon and midnight both read 0
  xxStep(reporter, kWhere, [&] { out.number(hour, twoDigitHour(code) ? 2 : 1); });
  xxStep(reporter, kWhere, [&] { formatInto(out, now, restPattern(code)); });
}

std::u16string APTime(const DateTime& now, std::u16string_view code, Reporter& reporter) {
  std::u16string text;
  TextSink out(text);
  putAPTime(out, now, code, reporter);
  xxStep(reporter, u"APTime", [&] { out.flush(); });
  return text;
}

void putKTime(TextSink& out, const DateTime& now, std::u16string_view code, Reporter& reporter) {
  constexpr std::u16string_view kWhere = u"KTime";
  std::int32_t hour = 0;
  std::int32_t limit = 0;  // stays 0 (never shift) when character 3 is no digit
  xxStep(reporter, kWhere, [&] { hour = now.hour; });
  xxStep(reporter, kWhere, [&] {
    const std::u16string_view digit = mid(code, 3, 1);
    if (digit.empty() || digit[0] < u'0' || digit[0] > u'9') raise(err::kTypeMismatch);
    limit = digit[0] - u'0';
  });
  xxStep(reporter, kWhere, [&] {
    // Hours before the limit still belong to the previous day: 2:30 is 26:30.
    out.number(hour < limit ? hour + 24 : hour, twoDigitHour(code) ? 2 : 1);
  });
  xxStep(reporter, kWhere, [&] { formatInto(out, now, restPattern(code)); });
}

std::u16string KTime(const DateTime& now, std::u16string_view code, Reporter& reporter) {
  std::u16string text;
  TextSink out(text);
  putKTime(out, now, code, reporter);
  xxStep(reporter, u"KTime", [&] { out.flush(); });
  return text;
}

std::u16string FreeSysResource(std::u16string_view code, SystemResources& resources, Reporter& reporter) {
  std::int32_t figure = 0;
  const std::u16string_view kind = code.substr(0, 2);
  const int which = kind == u"RS" ? 0 : kind == u"RG" ? 1 : kind == u"RU" ? 2 : -1;
  if (which >= 0) {
    try {
      figure = resources.freeResources(which);
    } catch (const Error& e) {
      // No library is the normal case on NT: the field just reads 0.
      if (e.number != err::kFileNotFound) reporter.report(xxLocation(u"FreeSysResource"), e);
      figure = 0;
    } catch (const std::bad_alloc&) {
      reporter.report(xxLocation(u"FreeSysResource"), Error::of(err::kOutOfMemory));
      figure = 0;
    }
  }
  return decimal(figure);
}

}  // namespace tavo
