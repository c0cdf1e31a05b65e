// The numeric conversions on arbitrary text: they either give a finite
// number or raise type mismatch or overflow, and the narrower classes round
// it half to even and range-check it.
#include <cmath>

#include "base/error.h"
#include "fuzz_text.h"
#include "settings/convert.h"

namespace {

// 0 when the conversion succeeds, else the error number.
template <typename F>
int attempt(F&& convert) {
  try {
    convert();
  } catch (const tavo::Error& e) {
    fuzz::check(e.number == tavo::err::kTypeMismatch || e.number == tavo::err::kOverflow);
    return e.number;
  }
  return 0;
}

template <typename T>
void checkWhole(int numberError, double number, T (*convert)(std::u16string_view), std::u16string_view text,
                double low, double high) {
  T value{};
  const int error = attempt([&] { value = convert(text); });
  const double rounded = std::nearbyint(number);
  if (numberError != 0)
    fuzz::check(error == numberError);
  else if (rounded < low || rounded > high)
    fuzz::check(error == tavo::err::kOverflow);
  else
    fuzz::check(error == 0 && static_cast<double>(value) == rounded);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string text = fuzz::text16(data, size);
  double number = 0;
  const int numberError = attempt([&] { number = tavo::toNumber(text); });
  fuzz::check((numberError == 0) == tavo::isNumeric(text));
  fuzz::check(numberError != 0 || std::isfinite(number));
  checkWhole(numberError, number, tavo::toByte, text, 0, 255);
  checkWhole(numberError, number, tavo::toInteger, text, -32768, 32767);
  checkWhole(numberError, number, tavo::toLong, text, -2147483648.0, 2147483647.0);
  return 0;
}
