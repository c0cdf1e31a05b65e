#pragma once
// The desktop's windows through the Unicode window functions. Nothing here
// may block on another program: titles are read without sending messages and
// written with a bounded wait.
#include "platform/ports.h"

namespace tavo::win32 {

class Win32Desktop : public Desktop {
 public:
  // How long a title write waits for a busy window before giving up.
  static constexpr unsigned kDefaultWriteTimeoutMs = 200;

  explicit Win32Desktop(unsigned writeTimeoutMs = kDefaultWriteTimeoutMs) : writeTimeoutMs_(writeTimeoutMs) {}

  WindowHandle foregroundWindow() override;
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
  int pixelsPerInchX() override;
  int pixelsPerInchY() override;

 private:
  unsigned writeTimeoutMs_;
  // What the last frame's window and rectangle gave: monitor, DPI, metrics.
  std::optional<WindowFrame> lastFrame_;
  WindowHandle lastFrameWindow_ = 0;
};

}  // namespace tavo::win32
