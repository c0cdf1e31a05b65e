#pragma once
// The date/time formatter as the interpreter uses it on every tick.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "base/datetime.h"

namespace tavo {

// Collects text in a fixed buffer and hands it to a string in large pieces:
// growing a string a few characters at a time costs more than the
// formatting itself. Everything is in the string after flush(); callers
// flush, so that running out of memory there is an error they can report.
class TextSink {
 public:
  explicit TextSink(std::u16string& out) : out_(out) {}
  ~TextSink() {
    if (pos_ == data_) return;  // the usual case: the owner has flushed
    try {
      flush();
    } catch (...) {  // a destructor must not throw; the text stays short
    }
  }
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;

  // Writing into the buffer is inline; handing a full buffer over to the
  // string stays out of line, so that the formatter's loop stays small.
  void put(char16_t c) {
    if (pos_ == std::end(data_)) [[unlikely]]
      spill();
    *pos_++ = c;
  }
  void put(std::u16string_view text) {
    if (text.size() > room()) [[unlikely]] {
      putLong(text);
      return;
    }
    // Pieces are a few characters long: a plain loop, no call.
    for (char16_t c : text) *pos_++ = c;
  }
  // `value` in decimal, zero-padded to at least `width` digits (the digits
  // of zeroPadded()).
  void number(std::int64_t value, int width) {
    if (static_cast<std::uint64_t>(value) < 100 && width <= 2 && room() >= 2) [[likely]] {
      // Hours, minutes, days, months: the usual case, without a digit loop.
      const char16_t* const digits = kDigitPairs[static_cast<std::size_t>(value)].data();
      if (value >= 10 || width == 2) *pos_++ = digits[0];
      *pos_++ = digits[1];
      return;
    }
    anyNumber(value, width);
  }

  std::size_t size() const { return out_.size() + static_cast<std::size_t>(pos_ - data_); }
  // Drops everything after the first `size` characters.
  void truncate(std::size_t size);
  void flush() {
    if (pos_ == data_) return;
    out_.append(data_, static_cast<std::size_t>(pos_ - data_));
    pos_ = data_;
  }

 private:
  std::size_t room() const { return static_cast<std::size_t>(std::end(data_) - pos_); }
  void putLong(std::u16string_view text);
  void spill();
  void anyNumber(std::int64_t value, int width);

  static constexpr std::size_t kCapacity = 64;
  // "00" to "99": two loads instead of two divisions.
  static constexpr auto kDigitPairs = [] {
    std::array<std::array<char16_t, 2>, 100> pairs{};
    for (unsigned v = 0; v < 100; ++v) {
      pairs[v] = {static_cast<char16_t>(u'0' + v / 10), static_cast<char16_t>(u'0' + v % 10)};
    }
    return pairs;
  }();
  std::u16string& out_;
  char16_t data_[kCapacity];
  char16_t* pos_ = data_;
};

// Writes `t` with `pattern` (the tokens of formatDateTime).
void formatInto(TextSink& out, const DateTime& t, std::u16string_view pattern);

}  // namespace tavo
