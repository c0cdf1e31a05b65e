#pragma once
// The date/time formatter as the interpreter uses it on every tick.
#include <algorithm>
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
    try {
      flush();
    } catch (...) {  // a destructor must not throw; the text stays short
    }
  }
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;

  void put(char16_t c) {
    if (pos_ == std::end(data_)) flush();
    *pos_++ = c;
  }
  [[gnu::always_inline]] void put(std::u16string_view text) {
    if (text.size() > static_cast<std::size_t>(std::end(data_) - pos_)) {
      flush();
      if (text.size() > kCapacity) {
        out_.append(text);
        return;
      }
    }
    // Pieces are a few characters long: a plain loop, no call.
    for (char16_t c : text) *pos_++ = c;
  }
  // `value` in decimal, zero-padded to at least `width` digits (the digits
  // of zeroPadded()).
  void number(std::int64_t value, int width) {
    if (static_cast<std::uint64_t>(value) < 100 && width <= 2 && std::end(data_) - pos_ >= 2) {
      // Hours, minutes, days, months: the usual case, without a digit loop.
      const unsigned v = static_cast<unsigned>(value);
      if (v >= 10 || width == 2) *pos_++ = static_cast<char16_t>(u'0' + v / 10);
      *pos_++ = static_cast<char16_t>(u'0' + v % 10);
      return;
    }
    anyNumber(value, width);
  }

  std::size_t size() const { return out_.size() + static_cast<std::size_t>(pos_ - data_); }
  // Drops everything after the first `size` characters.
  void truncate(std::size_t size) {
    flush();
    if (size < out_.size()) out_.resize(size);
  }
  void flush() {
    if (pos_ == data_) return;
    const auto n = static_cast<std::size_t>(pos_ - data_);
    out_.append(data_, n);
    pos_ = data_;
  }

 private:
  void anyNumber(std::int64_t value, int width);

  static constexpr std::size_t kCapacity = 64;
  std::u16string& out_;
  char16_t data_[kCapacity];
  char16_t* pos_ = data_;
};

// Writes `t` with `pattern` (the tokens of formatDateTime).
void formatInto(TextSink& out, const DateTime& t, std::u16string_view pattern);

}  // namespace tavo
