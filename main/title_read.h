#pragma once
// A window title as the caption clock cycle holds it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/text.h"
#include "platform/ports.h"

namespace tavo {

// The title as read: its text, then the NUL that ended it. The cycle's cuts
// count that NUL, and a title it composes ends in one too, so that it reads
// back exactly as it was written. Only text() ever reaches a window.
class TitleRead {
 public:
  TitleRead() : raw_(1, u'\0') {}
  explicit TitleRead(std::u16string_view text) { compose(text); }

  // Reads w's title into storage kept from read to read; a window that is
  // gone (or none) reads as the empty title, also when the read throws.
  bool read(Desktop& desktop, WindowHandle w);
  // The parts one after the other, then the NUL.
  void compose(std::u16string_view a, std::u16string_view b = {}, std::u16string_view c = {});

  std::u16string_view text() const { return beforeNul(raw_); }
  std::u16string_view asRead() const { return raw_; }
  std::size_t size() const { return raw_.size(); }  // the NUL included

  // Without its first n units; the empty title when nothing is left.
  TitleRead withoutFront(std::size_t n) const;
  // Without the n units before its NUL; nothing when it is shorter than that.
  std::optional<TitleRead> withoutBack(std::size_t n) const;

  bool operator==(const TitleRead&) const = default;

 private:
  std::u16string raw_;
};

}  // namespace tavo
