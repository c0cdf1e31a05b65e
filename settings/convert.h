#pragma once
// The one numeric parser for stored texts, following the platform's number
// parsing: blanks around, sign, decimal point, exponent, &H and &O prefixes.
// Text that is no number raises error 13 (type mismatch); a number outside the
// target's range raises error 6 (overflow). A fraction that becomes an integer
// is rounded half to even.
#include <cstdint>
#include <string_view>

namespace tavo {

double toNumber(std::u16string_view text);       // "number" class (double)
std::uint8_t toByte(std::u16string_view text);   // 0 to 255
std::int16_t toInteger(std::u16string_view text);  // 16-bit signed
std::int32_t toLong(std::u16string_view text);   // 32-bit signed

// Whether toNumber would succeed.
bool isNumeric(std::u16string_view text);

}  // namespace tavo
