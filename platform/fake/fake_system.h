#pragma once
// Sound, shell, the flash timer and the host in memory. Sounds, launches and
// the flash timer's start go into one log, so a test reads their order.
#include <string>
#include <vector>

#include "base/error.h"
#include "main/signals.h"
#include "platform/ports.h"

namespace tavo::fake {

// "wave sync|async <path>", "open <file>|<arguments>", "flash on"; tests add
// entries of their own (a yield, a box) to see where those fall.
using LaunchLog = std::vector<std::u16string>;

class LogSound : public Sound {
 public:
  explicit LogSound(LaunchLog& log) : log_(log) {}
  void playWave(std::u16string_view path, bool synchronous) override {
    if (failWith) raise(failWith);
    log_.push_back(u"wave " + std::u16string(synchronous ? u"sync " : u"async ") + std::u16string(path));
  }
  int failWith = 0;

 private:
  LaunchLog& log_;
};

class LogShell : public Shell {
 public:
  explicit LogShell(LaunchLog& log) : log_(log) {}
  void open(std::u16string_view file, std::u16string_view arguments) override {
    log_.push_back(u"open " + std::u16string(file) + u"|" + std::u16string(arguments));
  }

 private:
  LaunchLog& log_;
};

class LogFlashTimer : public FlashTimer {
 public:
  explicit LogFlashTimer(LaunchLog& log) : log_(log) {}
  void enable() override {
    running = true;
    log_.push_back(u"flash on");
  }
  void disable() override { running = false; }
  bool running = false;

 private:
  LaunchLog& log_;
};

class FakeHost : public Host {
 public:
  std::u16string programDirectory() override { return directory; }
  Version version() override { return ver; }
  bool anotherInstanceRunning() override { return another; }
  std::u16string directory = u"C:\\Tavo";
  Version ver{1, 70, 1};
  bool another = false;
};

}  // namespace tavo::fake
