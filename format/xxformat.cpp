// The clock pattern interpreter: literal text, "\" escapes and placeholders
// between two "%", expanded in one left-to-right scan.
#include "format/xxformat.h"

#include <utility>

#include "base/text.h"
#include "format/datetime_format.h"
#include "format/datetime_tokens.h"
#include "format/fields.h"
#include "format/xx_step.h"
#include "settings/keys.h"

namespace tavo {

namespace {

constexpr std::u16string_view kProcedure = u"FromXXFToShowClk";
constexpr std::u16string_view kOpenPlaceholder = u"XXErr";

// A key for a reading that is no time of day, written out all the same.
[[gnu::noinline]] void setOddTimeKey(std::u16string& key, const DateTime& now, bool withSeconds) {
  std::u16string text = decimal(now.hour) + u':' + decimal(now.minute);
  if (withSeconds) text += u':' + decimal(now.second);
  key = std::move(text);
}

// "h:n" or "h:n:s", written into `key`'s own storage: a key reused from
// tick to tick mostly keeps its length, and is then only overwritten.
void setTimeKey(std::u16string& key, const DateTime& now, bool withSeconds) {
  const auto hour = static_cast<unsigned>(now.hour);
  const auto minute = static_cast<unsigned>(now.minute);
  const auto second = withSeconds ? static_cast<unsigned>(now.second) : 0u;
  if ((hour | minute | second) >= 100) {
    setOddTimeKey(key, now, withSeconds);
    return;
  }
  const std::size_t length = (hour >= 10 ? 3 : 2) + (minute >= 10 ? 2 : 1) + (withSeconds ? (second >= 10 ? 3 : 2) : 0);
  if (key.size() != length) key.resize(length);
  char16_t* p = key.data();
  const auto put = [&](unsigned v) {
    if (v >= 10) *p++ = static_cast<char16_t>(u'0' + v / 10);
    *p++ = static_cast<char16_t>(u'0' + v % 10);
  };
  put(hour);
  *p++ = u':';
  put(minute);
  if (withSeconds) {
    *p++ = u':';
    put(second);
  }
}

// Codes for the fields of their own, by their first character
// (case-sensitive: "T", "K" and "O" codes are formatter patterns).
constexpr bool isField(char16_t c) { return c == u't' || c == u'k' || c == u'o' || c == u'r' || c == u'R'; }

void putField(TextSink& out, std::u16string_view code, const DateTime& now, SystemResources& resources,
              Reporter& reporter) {
  switch (code.front()) {
    case u't': putAPTime(out, now, code, reporter); break;
    case u'k': putKTime(out, now, code, reporter); break;
    case u'o': out.number(MoonAge(now, reporter), 1); break;
    case u'r': out.put(MoonGraphic(MoonAge(now, reporter), reporter)); break;
    default: out.put(FreeSysResource(code, resources, reporter)); break;
  }
}

// The "%" that closes the code at `code` (or `end`), and whether the code
// holds an "s".
const char16_t* closing(const char16_t* code, const char16_t* end, bool& hasS) {
  for (; code != end && *code != u'%'; ++code) hasS |= *code == u's';
  return code;
}

// The scan. False when a placeholder is left open (no closing "%"): an
// invalid argument that the caller's handler turns into a marker text.
// `withSeconds` is set once a placeholder holding an "s" has been reached;
// the key is written from it afterwards, whatever way the scan ends.
bool expand(TextSink& out, bool& withSeconds, std::u16string_view pattern, const DateTime& now,
            SystemResources& resources, Reporter& reporter) {
  const char16_t* p = pattern.data();
  const char16_t* const end = p + pattern.size();
  while (p != end) {
    if (*p == u'%') {
      // A "%" opens a placeholder that the next "%" closes; "%%" is an empty one.
      const char16_t* const code = ++p;
      if (code == end) break;  // opened as the last character: nothing to expand
      const std::size_t before = out.size();
      bool hasS = false;
      bool done;
      if (isField(*code)) {
        // A field runs only once its code is known to be closed.
        p = closing(code, end, hasS);
        if (p == end) return false;
        const std::u16string_view text(code, static_cast<std::size_t>(p - code));
        done = xxStep(reporter, kProcedure, [&] { putField(out, text, now, resources, reporter); });
      } else {
        // A formatter pattern, read in place up to the closing "%". What it
        // wrote for a placeholder left open is replaced with the rest.
        done = xxStep(reporter, kProcedure,
                      [&] { p = tokens::format<tokens::Until::Percent>(out, now, code, end, hasS); });
        if (!done) p = closing(code, end, hasS);
        if (p == end) return false;
      }
      withSeconds |= hasS;
      if (!done) out.truncate(before);  // a failed placeholder contributes nothing
      ++p;
    } else if (*p == u'\\') {
      // The escaped character as it is; a "\" at the end escapes nothing.
      if (++p == end) break;
      out.put(*p++);
    } else {
      // Plain text up to the next "%" or backslash, copied in one piece.
      const char16_t* const text = p;
      while (++p != end && *p != u'%' && *p != u'\\') {
      }
      if (p - text == 1) out.put(*text);  // a separator, mostly
      else out.put(std::u16string_view(text, static_cast<std::size_t>(p - text)));
    }
  }
  return true;
}

}  // namespace

void FromXXFToShowClk(std::u16string_view pattern, const DateTime& now, SystemResources& resources,
                      Reporter& reporter, ClockReading& into) {
  into.text.clear();
  bool complete = true;
  bool withSeconds = false;
  {
    TextSink out(into.text);
    // Field errors never get here; what can is running out of memory while
    // copying text, which ends the expansion with the text built so far.
    xxStep(reporter, kProcedure, [&] { complete = expand(out, withSeconds, pattern, now, resources, reporter); });
    xxStep(reporter, kProcedure, [&] { out.flush(); });
  }
  // The key as the scan left it: with seconds once a placeholder before
  // the end (or before a placeholder left open) held an "s".
  xxStep(reporter, kProcedure, [&] { setTimeKey(into.timeKey, now, withSeconds); });
  // No report for a placeholder left open.
  if (!complete) xxStep(reporter, kProcedure, [&] { into.text.assign(kOpenPlaceholder); });
}

ClockReading FromXXFToShowClk(std::u16string_view pattern, const DateTime& now, SystemResources& resources,
                              Reporter& reporter) {
  ClockReading reading;
  FromXXFToShowClk(pattern, now, resources, reporter, reading);
  return reading;
}

std::u16string GetXXF(Settings& settings, Reporter& reporter) {
  std::u16string pattern;
  const std::u16string location = xxLocation(u"GetXXF");
  Scope scope(reporter, location);
  scope.step([&] { pattern = settings.get(keys::kXXFormat.section, keys::kXXFormat.name, keys::kXXFormat.fallback); });
  return pattern;
}

}  // namespace tavo
