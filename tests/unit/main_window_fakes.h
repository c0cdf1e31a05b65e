#pragma once
// Sound, shell, host and the main window's view in memory, each logging what
// the program asked of it.
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "main/main_window.h"
#include "platform/ports.h"

namespace tavo::fake {

// One entry per sound or launch: "wave sync|async <path>" or "open <file>|<arguments>".
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

class FakeHost : public Host {
 public:
  std::u16string programDirectory() override { return directory; }
  Version version() override { return ver; }
  bool anotherInstanceRunning() override { return another; }
  std::u16string directory = u"C:\\Tavo";
  Version ver{1, 70, 1};
  bool another = false;
};

class FakeMainView : public MainView {
 public:
  void setCaption(std::u16string_view caption) override { log.push_back(u"caption " + std::u16string(caption)); }
  bool isMinimized() override { return minimized; }
  double screenWidthTwips() override { return screen[0]; }
  double screenHeightTwips() override { return screen[1]; }
  double windowWidthTwips() override { return window[0]; }
  double windowHeightTwips() override { return window[1]; }
  void moveTo(long left, long top) override { log.push_back(u"move " + decimal(left) + u"," + decimal(top)); }
  void minimizeAndHide() override { log.push_back(u"hide"); }
  void close() override { log.push_back(u"close"); }
  void showChoices(const MainChoices& c) override { shown = c; }
  void setTimerInterval(int ms) override { log.push_back(u"timer " + decimal(ms)); }
  void openSettingsDialog(int) override { raise(err::kOutOfMemory); }

  std::vector<std::u16string> log;
  std::optional<MainChoices> shown;
  bool minimized = false;
  double screen[2] = {15360, 11520}, window[2] = {5112, 3792};
};

}  // namespace tavo::fake
