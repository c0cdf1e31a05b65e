#pragma once
// The windows the logic drives, in memory: the main window's view, the file
// chooser and the roster dialog's window, each logging what it was asked.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/text.h"
#include "dialogs/browse.h"
#include "dialogs/roster.h"
#include "main/main_window.h"

namespace tavo::fake {

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
  // Without a handler the dialog cannot be made, as when memory runs out.
  void openSettingsDialog(int index) override {
    if (!onOpen) raise(err::kOutOfMemory);
    onOpen(index);
  }

  std::vector<std::u16string> log;
  std::optional<MainChoices> shown;
  bool minimized = false;
  double screen[2] = {15360, 11520}, window[2] = {5112, 3792};
  std::function<void(int)> onOpen;
};

class FakeFiles : public FileOpenDialog {
 public:
  std::optional<std::u16string> choose(const BrowseRequest& request, std::u16string_view initialFile) override {
    requests.push_back(request);
    initialFiles.emplace_back(initialFile);
    if (broken) raise(err::kInvalidArgument);
    return answer;
  }
  std::optional<std::u16string> answer;  // nullopt: the user cancels
  bool broken = false;
  std::vector<BrowseRequest> requests;
  std::vector<std::u16string> initialFiles;
};

class FakeRosterWindow : public RosterWindow {
 public:
  WindowHandle handle() override { return self; }
  void minimize() override { calls.push_back(u"minimize"); }
  void restore() override {
    calls.push_back(u"restore");
    if (onRestore) onRestore();
  }
  void setTimer(bool enabled) override {
    calls.push_back(enabled ? u"timer on" : u"timer off");
    timer = enabled;
  }
  WindowHandle self = 0;
  bool timer = false;
  std::vector<std::u16string> calls;
  std::function<void()> onRestore;
};

}  // namespace tavo::fake
