#pragma once
// The date/time formatter as the interpreter uses it on every tick: it
// appends to the text being built instead of returning a temporary.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/datetime.h"

namespace tavo {

// Appends `t` written with `pattern` (the tokens of formatDateTime).
void appendDateTime(std::u16string& out, const DateTime& t, std::u16string_view pattern);

// Appends `value` in decimal, zero-padded to at least `width` digits. Same
// digits as zeroPadded(), without the temporary string.
void appendNumber(std::u16string& out, std::int64_t value, int width);

}  // namespace tavo
