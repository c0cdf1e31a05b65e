// Arbitrary bytes as a clock pattern, with a date and time taken from the
// input: the interpreter must never crash, and its time key must always read
// back as a time (the caption cycle parses it).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"
#include "format/xxformat.h"
#include "platform/fake/fake_prompt.h"

namespace {

// "h:n" or "h:n:s" with the numbers of `t`.
bool keyReadsBack(const std::u16string& key, const tavo::DateTime& t) {
  std::u16string expected = tavo::decimal(t.hour) + u":" + tavo::decimal(t.minute);
  if (key == expected) return true;
  return key == expected + u":" + tavo::decimal(t.second);
}

}  // namespace

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
  data += 8;
  size -= 8;

  // The pattern: UTF-8 through the one conversion, or raw UTF-16 pairs
  // (unpaired surrogates included).
  std::u16string pattern;
  if (mode & 1) {
    pattern = tavo::utf16(std::string_view(reinterpret_cast<const char*>(data), size));
  } else {
    for (std::size_t i = 0; i + 1 < size; i += 2) pattern += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  }

  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 70, 1});
  tavo::fake::FakeResources resources;
  resources.present = (mode & 2) != 0;
  resources.failWith = (mode & 4) ? 453 : 0;
  resources.figures[0] = 80;

  const tavo::ClockReading reading = tavo::FromXXFToShowClk(pattern, t, resources, reporter);
  if (!keyReadsBack(reading.timeKey, t)) std::abort();
  // Only a field's own failure may be reported, never the interpreter's.
  for (const auto& box : prompt.shown)
    if (box.text.find(u"FromXXFToShowClk") != std::u16string::npos) std::abort();

  (void)tavo::formatDateTime(t, pattern);
  return 0;
}
