#pragma once
// Small text helpers shared by every part. The program works in UTF-16 so that
// lengths and cut positions count what Windows counts.
#include <cstdint>
#include <string>
#include <string_view>

namespace tavo {

// The one conversion routine between UTF-8 (sources, logs, Linux) and UTF-16.
// Invalid input never throws: bad sequences become U+FFFD going to UTF-16,
// unpaired surrogates become U+FFFD going to UTF-8.
std::u16string utf16(std::string_view utf8);
std::string utf8(std::u16string_view utf16);

// Substring search as the cycle needs it: exact, case-sensitive; an empty
// needle is found in every non-empty haystack.
bool contains(std::u16string_view haystack, std::u16string_view needle);

// Trims blanks (U+0020 only) from both ends.
std::u16string_view trimBlanks(std::u16string_view text);

// Lower-cases ASCII letters only.
std::u16string lowerAscii(std::u16string_view text);

// Case-insensitive comparison for ASCII letters.
bool equalsNoCaseAscii(std::u16string_view a, std::u16string_view b);

// Decimal text without leading zeros.
std::u16string decimal(std::int64_t value);

// Decimal text padded with zeros to at least `width` digits (the "00" number pattern).
std::u16string zeroPadded(std::int64_t value, int width);

// Text up to (not including) the first NUL.
std::u16string_view beforeNul(std::u16string_view text);

}  // namespace tavo
