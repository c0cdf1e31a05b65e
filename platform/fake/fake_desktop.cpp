#include "platform/fake/fake_desktop.h"

namespace tavo::fake {

WindowHandle FakeDesktop::open(std::u16string className, std::u16string title, bool front) {
  const WindowHandle w = next_;
  next_ += 4;  // real handles are never consecutive either
  FakeWindow& win = windows_[w];
  win.className = std::move(className);
  win.title = std::move(title);
  if (front) foreground_ = w;
  return w;
}

void FakeDesktop::bringToFront(WindowHandle w) {
  if (live(w)) foreground_ = w;
}

void FakeDesktop::rename(WindowHandle w, std::u16string title) {
  if (FakeWindow* win = live(w)) win->title = std::move(title);
}

void FakeDesktop::close(WindowHandle w) {
  if (FakeWindow* win = live(w)) win->alive = false;
  if (foreground_ == w) foreground_ = 0;
}

void FakeDesktop::hang(WindowHandle w, bool hung) {
  if (FakeWindow* win = live(w)) win->hung = hung;
}

std::u16string FakeDesktop::title(WindowHandle w) const {
  const auto it = windows_.find(w);
  return it != windows_.end() && it->second.alive ? it->second.title : std::u16string();
}

int FakeDesktop::titleWrites(WindowHandle w) const {
  const auto it = windows_.find(w);
  return it == windows_.end() ? 0 : it->second.titleWrites;
}

FakeWindow* FakeDesktop::live(WindowHandle w) {
  const auto it = windows_.find(w);
  return it != windows_.end() && it->second.alive ? &it->second : nullptr;
}

bool FakeDesktop::readWindowTitle(WindowHandle w, std::u16string& title) {
  ++reads_;
  FakeWindow* win = live(w);
  if (win) title.assign(win->title);
  else title.clear();
  return win != nullptr;
}

void FakeDesktop::setWindowTitle(WindowHandle w, std::u16string_view title) {
  ++totalWrites_;
  const auto it = windows_.find(w);
  if (it == windows_.end()) return;
  FakeWindow& win = it->second;
  ++win.titleWrites;
  win.lastWrite = std::u16string(title);
  // Like a send with a timeout: a hung or destroyed window never sees it.
  if (win.alive && !win.hung) win.title = std::u16string(title);
}

std::u16string FakeDesktop::className(WindowHandle w) {
  if (FakeWindow* win = live(w)) return win->className.substr(0, 254);
  return u"";
}

WindowHandle FakeDesktop::findWindow(std::u16string_view className, std::u16string_view title) {
  for (const auto& [w, win] : windows_)
    if (win.alive && win.className == className && win.title == title) return w;
  return 0;
}

WindowHandle FakeDesktop::findMarkedWindow(std::u16string_view className, std::u16string_view mark) {
  for (const auto& [w, win] : windows_)
    if (win.alive && win.className == className && !mark.empty() && win.mark == mark) return w;
  return 0;
}

std::optional<WindowFrame> FakeDesktop::windowFrame(WindowHandle w) {
  FakeWindow* win = live(w);
  if (!win) return std::nullopt;
  ++win->frameQueries;
  const int frame = 8 * win->dpi / 96, caption = 23 * win->dpi / 96;
  const Rect& r = win->rect;
  const Rect client{r.left + frame, r.top + (win->ownTitleBar ? 0 : frame + caption), r.right - frame, r.bottom - frame};
  return WindowFrame{r, client, win->monitor, win->dpi, frame, caption, win->visible, win->minimized, win->toolWindow,
                     win->hung};
}

std::optional<Rect> FakeDesktop::windowRect(WindowHandle w) {
  if (FakeWindow* win = live(w)) return win->rect;
  return std::nullopt;
}

void FakeDesktop::setWindowPos(WindowHandle w, WindowHandle insertAfter, int x, int y, unsigned flags) {
  moves.push_back({w, insertAfter, x, y, flags});
  FakeWindow* win = live(w);
  if (!win || (flags & swp::kNoMove)) return;
  const long width = win->rect.right - win->rect.left, height = win->rect.bottom - win->rect.top;
  win->rect = Rect{x, y, x + width, y + height};
}

void FakeDesktop::flashWindow(WindowHandle w) { flashes.push_back(w); }

void FakeDesktop::setForegroundWindow(WindowHandle w) { bringToFront(w); }

}  // namespace tavo::fake
