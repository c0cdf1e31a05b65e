#include "main/app.h"

#include "main/title_ledger.h"

namespace tavo {

Application::Application(const AppPorts& p, MainView& view)
    : host_(p.host),
      desktop_(p.desktop),
      ledger_(p.ledger),
      settings_(p.store),
      boxes_(p.prompt),
      reporter_(boxes_, buildVersion()),
      signals_(state_, settings_, reporter_, SignalPorts{p.desktop, p.clock, p.sound, p.shell, p.pump, p.flashTimer}),
      cycle_(state_, p.desktop, p.clock, p.resources, reporter_, signals_, p.ledger, p.overlay),
      main_(view, state_, settings_, reporter_, p.host, p.sound, p.shell, cycle_) {
  signals_.follow(cycle_);
}

bool Application::handOver(std::u16string_view commandText, OtherInstance& other) {
  return tavo::handOver(decideStart(commandText, host_, desktop_), desktop_, other);
}

void Application::load() {
  // Best effort: nothing left over from a killed run may stop the start.
  try {
    giveBackLeftTitles(ledger_, desktop_);
  } catch (...) {
  }
  main_.Form_Load();
}

void Application::goingDown() noexcept {
  try {
    cycle_.restoreCurrent();
  } catch (...) {
  }
}

void Application::tick() {
  Scope(reporter_, kTickLocation).step([&] { cycle_.tmrMain_Timer(); });
}

void Application::flashTick() {
  Scope(reporter_, kFlashTickLocation).step([&] { signals_.tmrFlash_Timer(); });
}

}  // namespace tavo
