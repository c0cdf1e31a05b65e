// Arbitrary bytes as a clock pattern, at a date and time taken from the
// input: the interpreter never crashes, reports only the fields' own
// failures, and its time key always reads back as the time (the caption
// cycle parses it).
#include "format/xxformat.h"
#include "fuzz_text.h"
#include "platform/fake/fake_prompt.h"

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
  const std::u16string pattern = mode & 1 ? fuzz::utf8(data + 8, size - 8) : fuzz::raw16(data + 8, size - 8);

  tavo::fake::FakePrompt prompt;
  tavo::Boxes boxes(prompt);
  tavo::Reporter reporter(boxes, tavo::Version{1, 70, 1});
  tavo::fake::FakeResources resources;
  resources.present = (mode & 2) != 0;
  resources.failWith = (mode & 4) ? 453 : 0;
  resources.figures[0] = 80;

  const tavo::ClockReading reading = tavo::FromXXFToShowClk(pattern, t, resources, reporter);
  const std::u16string key = tavo::decimal(t.hour) + u":" + tavo::decimal(t.minute);
  fuzz::check(reading.timeKey == key || reading.timeKey == key + u":" + tavo::decimal(t.second));
  for (const auto& box : prompt.shown) fuzz::check(box.text.find(u"FromXXFToShowClk") == std::u16string::npos);
  (void)tavo::formatDateTime(t, pattern);
  return 0;
}
