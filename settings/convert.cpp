#include "settings/convert.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "base/error.h"

// Accepted forms, after blanks (space, tab) on both sides are dropped:
//   [+|-] digits [. [digits]] [(e|E|d|D) [+|-] digits]   (at least one mantissa digit)
//   [+|-] . digits [exponent]
//   &H hex-digits, &O octal-digits (no sign): a value up to FFFF is a 16-bit
//   two's complement number, up to FFFFFFFF a 32-bit one; leading zeros do
//   not count, so only a value above FFFFFFFF overflows.
// Deliberately not accepted, though some locales' number parsing takes them:
// thousands separators ("1,000"), a comma as decimal point, currency signs,
// trailing signs, parentheses, full-width digits. Stored values are always
// written as plain decimal text, and a reading that depends on the user's
// locale would let the same stored text mean different numbers.
// A decimal too small for a double becomes 0; one too large overflows.

namespace tavo {
namespace {

enum class Outcome { kNumber, kMismatch, kOverflow };

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int digitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

Outcome parseRadix(std::u16string_view digits, int bitsPerDigit, double& out) {
  if (digits.empty()) return Outcome::kMismatch;
  const int radix = 1 << bitsPerDigit;
  std::uint64_t value = 0;
  bool tooLarge = false;
  // Every digit is checked even after the value is too large: text with a
  // stray character is no number at all, which takes precedence.
  for (char16_t c : digits) {
    const int d = digitValue(c);
    if (d < 0 || d >= radix) return Outcome::kMismatch;
    if (!tooLarge) {
      value = (value << bitsPerDigit) | static_cast<std::uint64_t>(d);
      tooLarge = value > 0xFFFFFFFFu;
    }
  }
  if (tooLarge) return Outcome::kOverflow;
  if (value <= 0xFFFFu)
    out = static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
  else
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return Outcome::kNumber;
}

Outcome parseDecimal(std::u16string_view text, double& out) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';

  // The mantissa goes to from_chars as ASCII; its decimal magnitude is kept
  // to tell an overflow from an underflow when the double is out of range.
  std::string ascii;
  ascii.reserve(n + 2);
  std::int64_t intDigits = 0, leadingFractionZeros = 0;
  bool seenNonZero = false, anyDigit = false;
  while (i < n && isDigit(text[i])) {
    if (text[i] != u'0') seenNonZero = true;
    if (seenNonZero) ++intDigits;
    ascii.push_back(static_cast<char>(text[i++]));
    anyDigit = true;
  }
  if (i < n && text[i] == u'.') {
    ascii.push_back('.');
    ++i;
    while (i < n && isDigit(text[i])) {
      if (text[i] != u'0') seenNonZero = true;
      if (!seenNonZero) ++leadingFractionZeros;
      ascii.push_back(static_cast<char>(text[i++]));
      anyDigit = true;
    }
  }
  if (!anyDigit) return Outcome::kMismatch;

  std::int64_t exponent = 0;
  if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
    ascii.push_back('e');
    ++i;
    bool negativeExponent = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
      negativeExponent = text[i] == u'-';
      ascii.push_back(static_cast<char>(text[i++]));
    }
    const std::size_t firstExponentDigit = i;
    while (i < n && isDigit(text[i])) {
      // Saturates: beyond a billion the outcome no longer depends on the value.
      if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[i] - u'0');
      ascii.push_back(static_cast<char>(text[i++]));
    }
    if (i == firstExponentDigit) return Outcome::kMismatch;
    if (negativeExponent) exponent = -exponent;
  }
  if (i != n) return Outcome::kMismatch;

  double value = 0;
  const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Position of the leading digit relative to the units: >= 0 means |x| >= 1.
    const std::int64_t magnitude = intDigits > 0 ? intDigits - 1 + exponent : exponent - leadingFractionZeros - 1;
    if (magnitude >= 0) return Outcome::kOverflow;
    value = 0;
  } else if (ec != std::errc() || end != ascii.data() + ascii.size()) {
    return Outcome::kMismatch;
  }
  // No negative zero: "-0" is plain 0.
  out = value == 0 ? 0.0 : (negative ? -value : value);
  return Outcome::kNumber;
}

Outcome parse(std::u16string_view text, double& out) {
  std::size_t first = 0, last = text.size();
  while (first < last && isBlank(text[first])) ++first;
  while (last > first && isBlank(text[last - 1])) --last;
  text = text.substr(first, last - first);
  if (text.size() >= 2 && text[0] == u'&') {
    if (text[1] == u'H' || text[1] == u'h') return parseRadix(text.substr(2), 4, out);
    if (text[1] == u'O' || text[1] == u'o') return parseRadix(text.substr(2), 3, out);
    return Outcome::kMismatch;
  }
  return parseDecimal(text, out);
}

double roundHalfEven(double x) {
  double whole = std::floor(x);
  const double fraction = x - whole;  // exact for every double
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return whole;
}

template <typename T>
T toWhole(std::u16string_view text, double low, double high) {
  const double value = roundHalfEven(toNumber(text));
  if (value < low || value > high) raise(err::kOverflow);
  return static_cast<T>(value);
}

}  // namespace

double toNumber(std::u16string_view text) {
  double value = 0;
  switch (parse(text, value)) {
    case Outcome::kNumber: return value;
    case Outcome::kOverflow: raise(err::kOverflow);
    case Outcome::kMismatch: break;
  }
  raise(err::kTypeMismatch);
}

std::uint8_t toByte(std::u16string_view text) { return toWhole<std::uint8_t>(text, 0, 255); }
std::int16_t toInteger(std::u16string_view text) { return toWhole<std::int16_t>(text, -32768, 32767); }
std::int32_t toLong(std::u16string_view text) { return toWhole<std::int32_t>(text, -2147483648.0, 2147483647.0); }

bool isNumeric(std::u16string_view text) {
  double value = 0;
  return parse(text, value) == Outcome::kNumber;
}

}  // namespace tavo
