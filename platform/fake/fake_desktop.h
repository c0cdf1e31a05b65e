#pragma once
// An in-memory desktop: top-level windows with handles, classes and titles
// that a test brings to front, renames, closes or hangs, and a log of what
// the program did to them.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports.h"

namespace tavo::fake {

struct FakeWindow {
  std::u16string className;
  std::u16string title;
  Rect rect{100, 100, 500, 400};
  bool alive = true;
  bool hung = false;  // stops answering messages: title writes are lost
  int titleWrites = 0;  // every write aimed at the window, effective or not
  std::u16string lastWrite;
  std::u16string mark;  // a window property's name, see findMarkedWindow
  // Its frame: by default a system caption above the client area; a test
  // changes what it needs (ownTitleBar: the client area reaches the top).
  bool ownTitleBar = false, minimized = false, toolWindow = false, visible = true;
  Rect monitor{0, 0, 1920, 1080};
  int dpi = 96;
  int frameQueries = 0;
};

struct Move {
  WindowHandle window = 0, insertAfter = 0;
  int x = 0, y = 0;
  unsigned flags = 0;
};

class FakeDesktop : public Desktop {
 public:
  // Opens a window; it comes to the front unless `front` is false.
  WindowHandle open(std::u16string className, std::u16string title, bool front = true);
  void bringToFront(WindowHandle w);
  // The window changes its own title (as an application does).
  void rename(WindowHandle w, std::u16string title);
  // Destroys the window; when it was in front, nothing is in front.
  void close(WindowHandle w);
  void hang(WindowHandle w, bool hung = true);
  void markWindow(WindowHandle w, std::u16string mark) { windows_.at(w).mark = std::move(mark); }
  FakeWindow& edit(WindowHandle w) { return windows_.at(w); }

  // The title a user sees now ("" for a vanished window).
  std::u16string title(WindowHandle w) const;
  const FakeWindow& window(WindowHandle w) const { return windows_.at(w); }
  int titleWrites(WindowHandle w) const;
  int totalTitleWrites() const { return totalWrites_; }
  int titleReads() const { return reads_; }

  std::vector<WindowHandle> flashes;
  std::vector<Move> moves;
  int ppiX = 96, ppiY = 96;

  WindowHandle foregroundWindow() override { return foreground_; }
  bool readWindowTitle(WindowHandle w, std::u16string& title) override;
  void setWindowTitle(WindowHandle w, std::u16string_view title) override;
  std::u16string className(WindowHandle w) override;
  WindowHandle findWindow(std::u16string_view className, std::u16string_view title) override;
  WindowHandle findMarkedWindow(std::u16string_view className, std::u16string_view mark) override;
  std::optional<Rect> windowRect(WindowHandle w) override;
  std::optional<WindowFrame> windowFrame(WindowHandle w) override;
  void setWindowPos(WindowHandle w, WindowHandle insertAfter, int x, int y, unsigned flags) override;
  void flashWindow(WindowHandle w) override;
  void setForegroundWindow(WindowHandle w) override;
  int pixelsPerInchX() override { return ppiX; }
  int pixelsPerInchY() override { return ppiY; }

 private:
  FakeWindow* live(WindowHandle w);

  std::map<WindowHandle, FakeWindow> windows_;
  WindowHandle next_ = 0x10010;
  WindowHandle foreground_ = 0;
  int totalWrites_ = 0;
  int reads_ = 0;
};

}  // namespace tavo::fake
