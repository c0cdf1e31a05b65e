#include "main/title_read.h"

namespace tavo {

bool TitleRead::read(Desktop& desktop, WindowHandle w) {
  struct End {
    std::u16string& raw;
    bool read = false;
    ~End() {
      if (!read) raw.clear();  // no window, or a read that failed halfway
      raw.push_back(u'\0');
    }
  } end{raw_};
  end.read = w != 0 && desktop.readWindowTitle(w, raw_);
  return end.read;
}

void TitleRead::compose(std::u16string_view a, std::u16string_view b, std::u16string_view c) {
  raw_.clear();
  raw_.reserve(a.size() + b.size() + c.size() + 1);
  raw_.append(a).append(b).append(c).push_back(u'\0');
}

TitleRead TitleRead::withoutFront(std::size_t n) const {
  TitleRead rest;
  if (n < raw_.size()) rest.raw_ = raw_.substr(n);
  return rest;
}

std::optional<TitleRead> TitleRead::withoutBack(std::size_t n) const {
  if (raw_.size() < n + 1) return std::nullopt;
  TitleRead rest;
  rest.compose(std::u16string_view(raw_).substr(0, raw_.size() - n - 1));
  return rest;
}

}  // namespace tavo
