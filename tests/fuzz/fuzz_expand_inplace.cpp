// Arbitrary UTF-16 text as placeholder codes and clock patterns: a code read
// in place up to its closing "%" must format as the formatter formats the
// code on its own, and a reading reused from call to call must read as a
// fresh one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "format/datetime_format.h"
#include "format/xxformat.h"
#include "platform/fake/fake_prompt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Header: hour, minute, second.
  if (size < 3) return 0;
  const tavo::DateTime now{2026, 12, 6, data[0] % 24, data[1] % 60, data[2] % 60};
  std::u16string text;
  for (std::size_t i = 3; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | data[i + 1] << 8);

  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 70, 1});
  tavo::fake::FakeResources resources;

  // The text as a code: up to its first "%", not one of the fields.
  const std::u16string code = text.substr(0, text.find(u'%'));
  static constexpr std::u16string_view kFields = u"tkorR";
  if (!code.empty() && kFields.find(code[0]) == std::u16string_view::npos) {
    const tavo::ClockReading r = tavo::FromXXFToShowClk(u"%" + code + u"%", now, resources, reporter);
    if (r.text != tavo::formatDateTime(now, code)) std::abort();
    const bool withSeconds = std::count(r.timeKey.begin(), r.timeKey.end(), u':') == 2;
    if (withSeconds != (code.find(u's') != std::u16string::npos)) std::abort();
  }

  // The text as a pattern, into a reading that held another expansion.
  tavo::ClockReading reused;
  tavo::FromXXFToShowClk(u"%h:nn:ss%,%mmm%,%d% and some more text after it", tavo::DateTime{2026, 1, 2, 23, 59, 59},
                         resources, reporter, reused);
  tavo::FromXXFToShowClk(text, now, resources, reporter, reused);
  const tavo::ClockReading fresh = tavo::FromXXFToShowClk(text, now, resources, reporter);
  if (reused.text != fresh.text || reused.timeKey != fresh.timeKey) std::abort();
  return 0;
}
