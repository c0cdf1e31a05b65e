// The numeric conversions on arbitrary text: they either give a number or
// raise type mismatch or overflow, and the narrower classes agree with it.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/error.h"
#include "base/text.h"
#include "settings/convert.h"

namespace {

// 0 when the conversion succeeds, else the error number.
template <typename F>
int attempt(F&& convert) {
  try {
    convert();
  } catch (const tavo::Error& e) {
    if (e.number != tavo::err::kTypeMismatch && e.number != tavo::err::kOverflow) std::abort();
    return e.number;
  }
  return 0;
}

template <typename T>
void checkWhole(int numberError, double number, T (*convert)(std::u16string_view), std::u16string_view text,
                double low, double high) {
  T value{};
  const int error = attempt([&] { value = convert(text); });
  if (numberError != 0) {
    if (error != numberError) std::abort();
    return;
  }
  const double rounded = std::nearbyint(number);  // default rounding mode: half to even
  if (rounded < low || rounded > high) {
    if (error != tavo::err::kOverflow) std::abort();
  } else if (error != 0 || static_cast<double>(value) != rounded) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A leading 0xFF byte: the rest is raw UTF-16LE (unpaired surrogates and
  // all); otherwise the input is UTF-8, which keeps the corpus readable.
  std::u16string text;
  if (size > 0 && data[0] == 0xFF) {
    for (std::size_t i = 1; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  } else {
    text = tavo::utf16(std::string_view(reinterpret_cast<const char*>(data), size));
  }

  double number = 0;
  const int numberError = attempt([&] { number = tavo::toNumber(text); });
  if ((numberError == 0) != tavo::isNumeric(text)) std::abort();
  if (numberError == 0 && !std::isfinite(number)) std::abort();

  checkWhole(numberError, number, tavo::toByte, text, 0, 255);
  checkWhole(numberError, number, tavo::toInteger, text, -32768, 32767);
  checkWhole(numberError, number, tavo::toLong, text, -2147483648.0, 2147483647.0);
  return 0;
}
