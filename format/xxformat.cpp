// The clock pattern interpreter: literal text, "\" escapes and placeholders
// between two "%", expanded in one left-to-right scan.
#include "format/xxformat.h"

#include "format/datetime_format.h"
#include "format/xx_step.h"
#include "settings/keys.h"

namespace tavo {

namespace {

constexpr std::u16string_view kProcedure = u"FromXXFToShowClk";
constexpr std::u16string_view kOpenPlaceholder = u"XXErr";

void writeTimeKey(std::u16string& key, const DateTime& now, bool withSeconds) {
  key.clear();
  appendNumber(key, now.hour, 1);
  key += u':';
  appendNumber(key, now.minute, 1);
  if (withSeconds) {
    key += u':';
    appendNumber(key, now.second, 1);
  }
}

// The field a placeholder stands for, chosen by the code's first character
// (case-sensitive: "T", "K" and "O" codes are formatter patterns).
void appendField(std::u16string& out, std::u16string_view code, const DateTime& now, SystemResources& resources,
                 Reporter& reporter) {
  switch (code.front()) {
    case u't': out += APTime(now, code, reporter); break;
    case u'k': out += KTime(now, code, reporter); break;
    case u'o': appendNumber(out, MoonAge(now, reporter), 1); break;
    case u'r': out += MoonGraphic(MoonAge(now, reporter), reporter); break;
    case u'R': out += FreeSysResource(code, resources, reporter); break;
    default: appendDateTime(out, now, code); break;
  }
}

}  // namespace

ClockReading FromXXFToShowClk(std::u16string_view pattern, const DateTime& now, SystemResources& resources,
                              Reporter& reporter) {
  ClockReading reading;
  writeTimeKey(reading.timeKey, now, false);
  std::u16string& out = reading.text;
  out.reserve(pattern.size() + 8);

  const std::size_t n = pattern.size();
  std::int16_t inPlaceholder = 0;
  bool withSeconds = false;
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t c = pattern[i];
    if (c == u'%') {
      inPlaceholder ^= 1;
    } else if (inPlaceholder == 1) {
      const std::size_t close = pattern.find(u'%', i);
      if (close == std::u16string_view::npos) {
        // A placeholder left open is an invalid argument that the handler
        // turns into this marker without a report; the key stays as it was.
        out.assign(kOpenPlaceholder);
        return reading;
      }
      const std::u16string_view code = pattern.substr(i, close - i);
      if (!withSeconds && code.find(u's') != std::u16string_view::npos) {
        withSeconds = true;
        writeTimeKey(reading.timeKey, now, true);
      }
      const std::size_t before = out.size();
      if (!xxStep(reporter, kProcedure, [&] { appendField(out, code, now, resources, reporter); }))
        out.resize(before);  // a failed placeholder contributes nothing
      i = close - 1;  // the closing "%" comes next and ends the placeholder
    } else if (c == u'\\') {
      if (i + 1 < n) out += pattern[i + 1];
      ++i;
    } else {
      out += c;
    }
  }
  return reading;
}

std::u16string GetXXF(Settings& settings, Reporter& reporter) {
  std::u16string pattern;
  Scope scope(reporter, xxLocation(u"GetXXF"));
  scope.step([&] { pattern = settings.get(keys::kXXFormat.section, keys::kXXFormat.name, keys::kXXFormat.fallback); });
  return pattern;
}

}  // namespace tavo
