#pragma once
// The whole application wired once: the settings, the error report, the
// caption clock cycle, the time signals and the main window's logic. Tavo.exe
// builds it on the Win32 ports, the tests on the fakes, so both run the same
// start-up in the same order.
#include <string_view>

#include "base/report.h"
#include "main/app_state.h"
#include "main/cycle.h"
#include "main/main_window.h"
#include "main/signals.h"
#include "platform/ports.h"
#include "settings/store.h"

namespace tavo {

struct AppPorts {
  Store& store;
  Prompt& prompt;
  Host& host;
  Desktop& desktop;
  Clock& clock;
  Sound& sound;
  Shell& shell;
  SystemResources& resources;
  Pump& pump;
  FlashTimer& flashTimer;
  TitleLedger& ledger;
  Overlay& overlay;
};

class Application {
 public:
  // `view` is only remembered here: the window behind it may be made later.
  Application(const AppPorts& ports, MainView& view);
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Before anything is read from the store: a second Tavo hands over to the
  // first. False when this instance must end now.
  bool handOver(std::u16string_view commandText, OtherInstance& other);
  // The rest of the start-up, once the main window exists (hidden, parked):
  // titles an earlier run left decorated get theirs back (only the first
  // instance gets here), then settings into memory, the clock pattern, the
  // window's choices.
  void load();
  // At the end of the session or on a fault about to end the program: the
  // window in front gets its own title back, and the ledger says so.
  void goingDown() noexcept;

  // tmrMain and tmrFlash. Nothing unwinds out of them.
  void tick();
  void flashTick();

  Settings& settings() { return settings_; }
  AppState& state() { return state_; }
  Reporter& reporter() { return reporter_; }
  CaptionCycle& cycle() { return cycle_; }
  Signals& signals() { return signals_; }
  MainWindow& mainWindow() { return main_; }

 private:
  Host& host_;
  Desktop& desktop_;
  TitleLedger& ledger_;
  Settings settings_;
  Boxes boxes_;
  Reporter reporter_;
  AppState state_;
  Signals signals_;
  CaptionCycle cycle_;
  MainWindow main_;
};

}  // namespace tavo
