// Moon age by a short rule on year, month and day, and its picture.
#include <cmath>
#include <cstdint>
#include <limits>

#include "format/xx_step.h"
#include "format/xxformat.h"

namespace tavo {

namespace {

constexpr std::u16string_view kMoonAge = u"MoonAge";

// The rule is defined on 16-bit integers: a result outside that range is an
// overflow, not a wrap-around.
std::int16_t to16(double value) {
  if (!(value >= std::numeric_limits<std::int16_t>::min() && value <= std::numeric_limits<std::int16_t>::max()))
    raise(err::kOverflow);
  return static_cast<std::int16_t>(value);
}
std::int16_t to16(std::int64_t value) { return to16(static_cast<double>(value)); }
std::int16_t add(std::int16_t a, std::int16_t b) { return to16(std::int64_t{a} + b); }
std::int16_t sub(std::int16_t a, std::int16_t b) { return to16(std::int64_t{a} - b); }
std::int16_t mul(std::int16_t a, std::int16_t b) { return to16(std::int64_t{a} * b); }

}  // namespace

std::int16_t MoonAge(const DateTime& today, Reporter& reporter) {
  // Each step that fails keeps its result at 0 and the later steps go on with it.
  const auto step = [&](auto&& statement) { xxStep(reporter, kMoonAge, statement); };
  std::int16_t year = 0, month = 0, day = 0, floorTerm = 0, cycleBase = 0, sum = 0;
  double quotient = 0;
  std::int32_t age = 0;

  step([&] { year = to16(std::int64_t{today.year}); });
  step([&] { month = to16(std::int64_t{today.month}); });
  step([&] { day = to16(std::int64_t{today.day}); });
  step([&] { quotient = static_cast<double>(sub(year, 4)) / 19.0; });
  step([&] { floorTerm = to16(std::floor(0.0 - quotient)); });
  step([&] { cycleBase = sub(mul(sub(0, floorTerm), 19), 5); });
  // year - cycleBase runs from -9 to 9 through the 19-year cycle.
  step([&] { sum = add(add(mul(sub(year, cycleBase), 11), month), day); });
  step([&] { age = std::int32_t{sum} % 30; });
  step([&] {
    if (age < 0) age += 30;
  });
  return static_cast<std::int16_t>(age);
}

std::u16string MoonGraphic(std::int16_t age, Reporter&) {
  // Closed ranges tested in order, so a boundary belongs to the lower range.
  if (age >= 0 && age <= 3) return u"*-";
  if (age >= 3 && age <= 6) return u" )";
  if (age >= 6 && age <= 10) return u"|)";
  if (age >= 10 && age <= 20) return u"○";
  if (age >= 20 && age <= 24) return u"(|";
  if (age >= 24 && age <= 27) return u"( ";
  if (age >= 27 && age <= 30) return u"-*";
  if (age > 30) return u"??";
  return u"";
}

}  // namespace tavo
