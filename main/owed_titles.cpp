#include "main/owed_titles.h"

#include <algorithm>
#include <utility>

#include "base/text.h"

namespace tavo {

namespace {
constexpr int kMaxBackoffTicks = 16;
}  // namespace

bool writeTitle(Desktop& desktop, WindowHandle w, std::u16string_view title) {
  if (w == 0) return true;
  // The system would stop at the first NUL anyway; the port wants none.
  title = beforeNul(title);
  desktop.setWindowTitle(w, title);
  const auto now = desktop.windowTitle(w);
  return now && *now == title;
}

bool Backoff::due() {
  if (wait > 0) {
    --wait;
    return false;
  }
  return true;
}

void Backoff::failed() {
  wait = step;
  step = std::min(step * 2, kMaxBackoffTicks);
}

void OwedTitles::owe(OwedTitle owed) {
  std::erase_if(owed_, [&](const OwedTitle& o) { return o.window == owed.window; });
  if (owed_.size() >= kMax) owed_.erase(owed_.begin());
  owed_.push_back(std::move(owed));
}

std::optional<OwedTitle> OwedTitles::take(WindowHandle w) {
  const auto it = std::find_if(owed_.begin(), owed_.end(), [&](const OwedTitle& o) { return o.window == w; });
  if (it == owed_.end()) return std::nullopt;
  OwedTitle owed = std::move(*it);
  owed_.erase(it);
  return owed;
}

void OwedTitles::retry(Desktop& desktop, WindowHandle front) {
  for (auto it = owed_.begin(); it != owed_.end();) {
    OwedTitle& o = *it;
    if (o.window == front || !o.backoff.due()) {
      ++it;
      continue;
    }
    const auto now = desktop.windowTitle(o.window);
    if (!now || *now != o.carried || writeTitle(desktop, o.window, o.own)) {
      it = owed_.erase(it);
      continue;
    }
    o.backoff.failed();
    ++it;
  }
}

}  // namespace tavo
