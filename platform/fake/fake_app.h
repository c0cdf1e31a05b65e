#pragma once
// The application as Tavo.exe wires it, on the in-memory ports: what a test
// drives when it needs the whole program. The store is the caller's, so a
// test can bring one that logs or fails.
#include "main/app.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_ledger.h"
#include "platform/fake/fake_overlay.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_pump.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_views.h"

namespace tavo::fake {

struct FakeApp {
  explicit FakeApp(Store& store)
      : app(AppPorts{store, prompt, host, desktop, clock, sound, shell, resources, pump, flash, ledger, overlay}, view) {}

  FakePrompt prompt;
  FakeDesktop desktop;
  FakeClock clock;
  FakeResources resources;
  FakePump pump;
  LaunchLog launches;  // sounds, launches and the flash timer's starts, in order
  LogSound sound{launches};
  LogShell shell{launches};
  LogFlashTimer flash{launches};
  FakeHost host;
  FakeLedger ledger;
  FakeOverlay overlay;
  FakeMainView view;
  Application app;
  Settings& settings = app.settings();
  AppState& state = app.state();
  Reporter& reporter = app.reporter();
  MainWindow& window = app.mainWindow();
};

}  // namespace tavo::fake
