#pragma once
// The small system ports on the Unicode Win32 API: local time, sound, the
// shell, message boxes, the message pump and facts about this program.
#include <optional>
#include <string>

#include "platform/ports.h"
#include "platform/win32/handle_win32.h"

namespace tavo::win32 {

class Win32Clock : public Clock {
 public:
  DateTime now() override;  // what GetLocalTime says

 private:
  // Local minus system time in 100 ns units, as of the system minute below.
  long long bias_ = 0;
  unsigned long long biasMinute_ = ~0ull;
};

class Win32Sound : public Sound {
 public:
  void playWave(std::u16string_view path, bool synchronous) override;
};

class Win32Shell : public Shell {
 public:
  // The window that owns any message the shell shows (the main window).
  void setOwner(WindowHandle owner) { owner_ = owner; }
  void open(std::u16string_view file, std::u16string_view arguments) override;

 private:
  WindowHandle owner_ = 0;
};

class Win32Prompt : public Prompt {
 public:
  // Boxes are owned by this window while it is visible.
  void setOwner(WindowHandle owner) { owner_ = owner; }
  int messageBox(std::u16string_view text, std::u16string_view title, unsigned flags) override;

 private:
  WindowHandle owner_ = 0;
};

class Win32Pump : public Pump {
 public:
  // Dispatches every pending message of this thread. A quit request met on
  // the way is posted again, so the main loop still ends.
  void yield() override;
};

class Win32Host : public Host {
 public:
  // One name per session: a second Tavo of the same user sees the first.
  static constexpr std::u16string_view kInstanceMutexName = u"Local\\Tavo.SingleInstance";

  explicit Win32Host(std::u16string_view mutexName = kInstanceMutexName) : mutexName_(mutexName) {}
  Win32Host(const Win32Host&) = delete;
  Win32Host& operator=(const Win32Host&) = delete;

  std::u16string programDirectory() override;  // without the final "\"
  Version version() override;
  // The first call claims the instance mutex and remembers the answer; the
  // mutex is held until this object goes away.
  bool anotherInstanceRunning() override;

 private:
  std::u16string mutexName_;
  KernelHandle mutex_;
  std::optional<bool> another_;
};

}  // namespace tavo::win32
