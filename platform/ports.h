#pragma once
// The narrow interfaces the core needs from the system. platform/win32 has
// the real ones, platform/fake in-memory ones for tests.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/datetime.h"

namespace tavo {

using WindowHandle = std::uintptr_t;  // 0: no window

struct Rect {
  long left = 0, top = 0, right = 0, bottom = 0;
};

// SetWindowPos values the core passes through unchanged.
namespace swp {
inline constexpr unsigned kNoSize = 0x0001;
inline constexpr unsigned kNoMove = 0x0002;
inline constexpr unsigned kShowWindow = 0x0040;
inline constexpr WindowHandle kTopmost = static_cast<WindowHandle>(-1);
inline constexpr WindowHandle kNoTopmost = static_cast<WindowHandle>(-2);
}  // namespace swp

// What decides whether a window draws its own title bar, and where the
// overlay clock goes on it. Rectangles in screen pixels.
struct WindowFrame {
  Rect window;             // the window rectangle
  Rect client;             // the client area
  Rect monitor;            // the monitor it is on
  int dpi = 96;            // that monitor's
  int frameWidth = 0;      // the sizing frame's width at that DPI
  int captionHeight = 0;   // the system caption's height at that DPI
  bool visible = false, minimized = false, toolWindow = false, hung = false;
};

class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual WindowHandle foregroundWindow() = 0;
  // The window's title without any terminator, into `title`, whose storage
  // is reused: the polling tick reads without allocating. False, and `title`
  // empty, when the window does not exist (or is 0). Never blocks on a hung
  // window.
  virtual bool readWindowTitle(WindowHandle w, std::u16string& title) = 0;
  std::optional<std::u16string> windowTitle(WindowHandle w) {
    std::u16string title;
    if (!readWindowTitle(w, title)) return std::nullopt;
    return title;
  }
  // Best effort: a vanished or hung window keeps its title. `title` holds no NUL.
  virtual void setWindowTitle(WindowHandle w, std::u16string_view title) = 0;
  // Class name, at most 254 UTF-16 units; "" when it cannot be read.
  virtual std::u16string className(WindowHandle w) = 0;
  virtual WindowHandle findWindow(std::u16string_view className, std::u16string_view title) = 0;
  // A top-level window of the class that carries the window property `mark`.
  virtual WindowHandle findMarkedWindow(std::u16string_view className, std::u16string_view mark) = 0;
  virtual std::optional<Rect> windowRect(WindowHandle w) = 0;
  // Nothing for a window that is gone or no top-level window. Never blocks
  // on a hung window.
  virtual std::optional<WindowFrame> windowFrame(WindowHandle w) = 0;
  virtual void setWindowPos(WindowHandle w, WindowHandle insertAfter, int x, int y, unsigned flags) = 0;
  virtual void flashWindow(WindowHandle w) = 0;
  virtual void setForegroundWindow(WindowHandle w) = 0;
  // Logical pixels per inch of the display (96 at 100 %).
  virtual int pixelsPerInchX() = 0;
  virtual int pixelsPerInchY() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime now() = 0;  // local date and time
};

class Sound {
 public:
  virtual ~Sound() = default;
  // Plays a wave file; a missing or unplayable file is silence.
  virtual void playWave(std::u16string_view path, bool synchronous) = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  // The shell's "open" verb; failures are not reported.
  virtual void open(std::u16string_view file, std::u16string_view arguments) = 0;
};

// Message box flags and answers the core uses.
namespace mb {
inline constexpr unsigned kOk = 0x0000;
inline constexpr unsigned kOkCancel = 0x0001;
inline constexpr unsigned kYesNo = 0x0004;
inline constexpr unsigned kIconError = 0x0010;
inline constexpr unsigned kIconQuestion = 0x0020;
inline constexpr unsigned kIconExclamation = 0x0030;
inline constexpr unsigned kIconInformation = 0x0040;
inline constexpr unsigned kDefButton2 = 0x0100;
inline constexpr unsigned kSystemModal = 0x1000;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

class Prompt {
 public:
  virtual ~Prompt() = default;
  // Shows a message box and waits for the answer.
  virtual int messageBox(std::u16string_view text, std::u16string_view title, unsigned flags) = 0;
};

class Pump {
 public:
  virtual ~Pump() = default;
  // Processes every pending message of the thread, then returns.
  virtual void yield() = 0;
};

struct Version {
  int major = 0, minor = 0, revision = 0;
};

class Host {
 public:
  virtual ~Host() = default;
  virtual std::u16string programDirectory() = 0;  // as started; may lack the final "\"
  virtual Version version() = 0;
  virtual bool anotherInstanceRunning() = 0;
};

// Free-resource figures of the Windows 95/98 library rsrc32.dll.
class SystemResources {
 public:
  virtual ~SystemResources() = default;
  // kind: 0 system, 1 GDI, 2 user. Throws Error 53 when the library is
  // missing (every NT system); other errors for a broken library.
  virtual std::int32_t freeResources(std::int32_t kind) = 0;
};

// Records of titles Tavo owes, kept where they outlive a killed Tavo but not
// the sign-in session (Tavo.exe: a volatile registry key), one text per
// window. Best effort: a record store that fails must never stop the clock,
// so nothing here throws.
class TitleLedger {
 public:
  virtual ~TitleLedger() = default;
  // Every record; none when there are none or they cannot be read.
  virtual std::vector<std::pair<WindowHandle, std::u16string>> records() = 0;
  // Creates or replaces the window's record. `text` holds no NUL.
  virtual void put(WindowHandle w, std::u16string_view text) = 0;
  // A missing record is fine.
  virtual void drop(WindowHandle w) = 0;
};

// Tavo's own small window that shows the clock on the title bar of a window
// that draws its own: click-through, never activated, kept just above the
// window it decorates.
class Overlay {
 public:
  virtual ~Overlay() = default;
  // Shows `text` right-aligned at `right`, from `top`, `height` tall (screen
  // pixels, at `dpi`), above window `owner`. Called again only on a change.
  virtual void show(WindowHandle owner, int right, int top, int height, int dpi, std::u16string_view text) = 0;
  virtual void hide() = 0;
};

}  // namespace tavo
