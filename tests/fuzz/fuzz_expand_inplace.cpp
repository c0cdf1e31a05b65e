// Arbitrary UTF-16 text as placeholder codes and clock patterns: a code read
// in place up to its closing "%" formats as the formatter formats the code on
// its own, and a reading reused from call to call reads as a fresh one.
#include <algorithm>

#include "format/datetime_format.h"
#include "format/xxformat.h"
#include "fuzz_text.h"
#include "platform/fake/fake_prompt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Header: hour, minute, second.
  if (size < 3) return 0;
  const tavo::DateTime now{2026, 12, 6, data[0] % 24, data[1] % 60, data[2] % 60};
  const std::u16string text = fuzz::raw16(data + 3, size - 3);
  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 70, 1});
  tavo::fake::FakeResources resources;

  // The text up to its first "%" as a code, unless it names a field.
  const std::u16string code = text.substr(0, text.find(u'%'));
  if (!code.empty() && std::u16string_view(u"tkorR").find(code[0]) == std::u16string_view::npos) {
    const tavo::ClockReading r = tavo::FromXXFToShowClk(u"%" + code + u"%", now, resources, reporter);
    fuzz::check(r.text == tavo::formatDateTime(now, code));
    fuzz::check((std::count(r.timeKey.begin(), r.timeKey.end(), u':') == 2) == (code.find(u's') != code.npos));
  }

  tavo::ClockReading reused;
  tavo::FromXXFToShowClk(u"%h:nn:ss%,%mmm%,%d% and some more text after it", tavo::DateTime{2026, 1, 2, 23, 59, 59},
                         resources, reporter, reused);
  tavo::FromXXFToShowClk(text, now, resources, reporter, reused);
  const tavo::ClockReading fresh = tavo::FromXXFToShowClk(text, now, resources, reporter);
  fuzz::check(reused.text == fresh.text && reused.timeKey == fresh.timeKey);
  return 0;
}
