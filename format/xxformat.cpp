// The clock pattern interpreter: literal text, "\" escapes and placeholders
// between two "%", expanded in one left-to-right scan.
#include "format/xxformat.h"

#include <algorithm>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/xx_step.h"
#include "settings/keys.h"

namespace tavo {

namespace {

constexpr std::u16string_view kProcedure = u"FromXXFToShowClk";
constexpr std::u16string_view kOpenPlaceholder = u"XXErr";

std::u16string timeKey(const DateTime& now, bool withSeconds) {
  // Short enough for the string's own storage: built here and constructed
  // once, as this runs on every tick.
  char16_t text[3 * 22];
  char16_t* end = text;
  const auto put = [&](int value) {
    if (value >= 0 && value < 100) {
      if (value >= 10) *end++ = static_cast<char16_t>(u'0' + value / 10);
      *end++ = static_cast<char16_t>(u'0' + value % 10);
    } else {
      const std::u16string digits = decimal(value);
      end = std::copy(digits.begin(), digits.end(), end);
    }
  };
  put(now.hour);
  *end++ = u':';
  put(now.minute);
  if (withSeconds) {
    *end++ = u':';
    put(now.second);
  }
  return std::u16string(text, static_cast<std::size_t>(end - text));
}

// The field a placeholder stands for, chosen by the code's first character
// (case-sensitive: "T", "K" and "O" codes are formatter patterns).
void putField(TextSink& out, std::u16string_view code, const DateTime& now, SystemResources& resources,
              Reporter& reporter) {
  switch (code.front()) {
    case u't': out.put(APTime(now, code, reporter)); break;
    case u'k': out.put(KTime(now, code, reporter)); break;
    case u'o': out.number(MoonAge(now, reporter), 1); break;
    case u'r': out.put(MoonGraphic(MoonAge(now, reporter), reporter)); break;
    case u'R': out.put(FreeSysResource(code, resources, reporter)); break;
    default: formatInto(out, now, code); break;
  }
}

// The scan. False when a placeholder is left open (no closing "%"): an
// invalid argument that the caller's handler turns into a marker text.
bool expand(TextSink& out, std::u16string& key, std::u16string_view pattern, const DateTime& now,
            SystemResources& resources, Reporter& reporter) {
  const std::size_t n = pattern.size();
  std::int16_t inPlaceholder = 0;
  bool withSeconds = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = pattern[i];
    if (c == u'%') {
      inPlaceholder ^= 1;
    } else if (inPlaceholder == 1) {
      // The closing "%" and whether the code holds an "s", in one pass.
      std::size_t close = i;
      bool hasS = false;
      for (; close < n && pattern[close] != u'%'; ++close) hasS |= pattern[close] == u's';
      if (close == n) return false;
      const std::u16string_view code = pattern.substr(i, close - i);
      if (hasS && !withSeconds) {
        withSeconds = true;
        key = timeKey(now, true);
      }
      const std::size_t before = out.size();
      if (!xxStep(reporter, kProcedure, [&] { putField(out, code, now, resources, reporter); }))
        out.truncate(before);  // a failed placeholder contributes nothing
      i = close - 1;  // the closing "%" comes next and ends the placeholder
    } else if (c == u'\\') {
      if (i + 1 < n) out.put(pattern[i + 1]);
      ++i;
    } else {
      // Plain text up to the next "%" or backslash, copied in one piece.
      std::size_t k = i + 1;
      while (k < n && pattern[k] != u'%' && pattern[k] != u'\\') ++k;
      out.put(pattern.substr(i, k - i));
      i = k - 1;
    }
  }
  return true;
}

}  // namespace

ClockReading FromXXFToShowClk(std::u16string_view pattern, const DateTime& now, SystemResources& resources,
                              Reporter& reporter) {
  ClockReading reading{std::u16string(), timeKey(now, false)};
  bool complete = true;
  {
    TextSink out(reading.text);
    // Field errors never get here; what can is running out of memory while
    // copying text, which ends the expansion with the text built so far.
    xxStep(reporter, kProcedure, [&] { complete = expand(out, reading.timeKey, pattern, now, resources, reporter); });
    xxStep(reporter, kProcedure, [&] { out.flush(); });
  }
  // No report for a placeholder left open; the key stays as it was set.
  if (!complete) reading.text.assign(kOpenPlaceholder);
  return reading;
}

std::u16string GetXXF(Settings& settings, Reporter& reporter) {
  std::u16string pattern;
  Scope scope(reporter, xxLocation(u"GetXXF"));
  scope.step([&] { pattern = settings.get(keys::kXXFormat.section, keys::kXXFormat.name, keys::kXXFormat.fallback); });
  return pattern;
}

}  // namespace tavo
