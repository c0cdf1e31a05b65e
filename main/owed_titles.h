#pragma once
// Titles the caption clock still owes: a window that lost the front while its
// program was not answering keeps the clock until it answers again.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports.h"

namespace tavo {

// Writes a title up to its first NUL and tells whether the window took it: a
// program that is not answering drops the write. Writing to no window (0)
// counts as taken.
bool writeTitle(Desktop& desktop, WindowHandle w, std::u16string_view title);

// Ticks to wait before trying again a window that did not take a title:
// 1, 2, 4 ... 16. A stopped program then costs a write timeout now and then
// instead of on every tick.
struct Backoff {
  int wait = 1, step = 2;
  bool due();
  void failed();
};

struct OwedTitle {
  WindowHandle window = 0;
  std::u16string own;      // its own title, as the cycle held it
  std::u16string carried;  // its title as it stands, clock included, without NUL
  std::u16string clock;    // the clock text in it
  std::u16string record;   // its ledger text, as placed then; empty: none
  Backoff backoff;
};

class OwedTitles {
 public:
  bool empty() const { return owed_.empty(); }
  auto begin() const { return owed_.begin(); }
  auto end() const { return owed_.end(); }
  // A window owed its title; the oldest record goes when there are too many.
  void owe(OwedTitle owed);
  // The record of a window that came back to the front, taken out.
  std::optional<OwedTitle> take(WindowHandle w);
  // Tries again each window that is due, except `front` (the tick deals with
  // it); a window that is gone or put up a title of its own is owed nothing.
  void retry(Desktop& desktop, WindowHandle front);

 private:
  static constexpr std::size_t kMax = 16;
  std::vector<OwedTitle> owed_;
};

}  // namespace tavo
