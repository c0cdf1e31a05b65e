// Arbitrary text as a clock pattern, at a date and time taken from the input:
// the interpreter never crashes, reports only the fields' own failures, and
// its time key always reads back as the time (the caption cycle parses it).
// A code read in place up to its closing "%" formats as the formatter
// formats the code on its own, and a reading reused from call to call reads
// as a fresh one.
#include <algorithm>

#include "format/datetime_format.h"
#include "format/xxformat.h"
#include "fuzz.h"
#include "platform/fake/fake_prompt.h"

using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Header: year (2 bytes), month, day, hour, minute, second, mode.
  if (size < 8) return 0;
  tavo::DateTime t;
  t.year = 100 + (data[0] | data[1] << 8) % 9900;
  t.month = 1 + data[2] % 12;
  t.day = 1 + data[3] % tavo::daysInMonth(t.year, t.month);
  t.hour = data[4] % 24;
  t.minute = data[5] % 60;
  t.second = data[6] % 60;
  const std::uint8_t mode = data[7];
  const std::u16string text = mode & 1 ? fuzz::utf8(data + 8, size - 8) : fuzz::raw16(data + 8, size - 8);

  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 70, 1});
  tavo::fake::FakeResources resources;
  resources.present = (mode & 2) != 0;
  resources.failWith = (mode & 4) ? 453 : 0;
  resources.figures[0] = 80;

  const tavo::ClockReading fresh = tavo::FromXXFToShowClk(text, t, resources, reporter);
  const std::u16string key = tavo::decimal(t.hour) + u":" + tavo::decimal(t.minute);
  check(fresh.timeKey == key || fresh.timeKey == key + u":" + tavo::decimal(t.second));
  (void)tavo::formatDateTime(t, text);

  // The text up to its first "%" as a code, unless it names a field.
  const std::u16string code = text.substr(0, text.find(u'%'));
  if (!code.empty() && std::u16string_view(u"tkorR").find(code[0]) == std::u16string_view::npos) {
    const tavo::ClockReading r = tavo::FromXXFToShowClk(u"%" + code + u"%", t, resources, reporter);
    check(r.text == tavo::formatDateTime(t, code));
    check((std::count(r.timeKey.begin(), r.timeKey.end(), u':') == 2) == (code.find(u's') != code.npos));
  }

  tavo::ClockReading reused;
  tavo::FromXXFToShowClk(u"%h:nn:ss%,%mmm%,%d% and some more text after it", tavo::DateTime{2026, 1, 2, 23, 59, 59},
                         resources, reporter, reused);
  tavo::FromXXFToShowClk(text, t, resources, reporter, reused);
  check(reused.text == fresh.text && reused.timeKey == fresh.timeKey);
  for (const auto& box : prompt.shown) check(box.text.find(u"FromXXFToShowClk") == std::u16string::npos);
  return 0;
}
