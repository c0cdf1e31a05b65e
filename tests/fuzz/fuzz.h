#pragma once
// What the fuzz targets share: a failed check aborts naming its line, and
// the input bytes as UTF-16 text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/text.h"

namespace fuzz {

inline void check(bool ok, int line = __builtin_LINE()) {
  if (ok) return;
  std::fprintf(stderr, "check on line %d failed\n", line);
  std::abort();
}

// Little-endian pairs, unpaired surrogates and all.
inline std::u16string raw16(const std::uint8_t* data, std::size_t size) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  return text;
}

inline std::u16string utf8(const std::uint8_t* data, std::size_t size) {
  return tavo::utf16(std::string_view(reinterpret_cast<const char*>(data), size));
}

// A leading 0xFF byte: the rest is raw UTF-16; otherwise UTF-8, which keeps
// the corpus readable.
inline std::u16string text16(const std::uint8_t* data, std::size_t size) {
  return size > 0 && data[0] == 0xFF ? raw16(data + 1, size - 1) : utf8(data, size);
}

}  // namespace fuzz
