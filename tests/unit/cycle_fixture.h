#pragma once
// The program on the fakes as Tavo.exe wires it. CycleTest runs a cycle of
// its own whose calls to the signals are recorded; SignalsTest ticks the
// program's own cycle and signals.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "platform/fake/fake_app.h"
#include "platform/fake/recording_signals.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

#include "report_text.h"

namespace tavo {

using fake::LaunchLog;
using fake::SignalCall;

struct WithStore {  // built before the program that reads it
  MemoryStore store;
};

class OnFakes : public ::testing::Test, public WithStore, public fake::FakeApp {
 protected:
  OnFakes() : FakeApp(store) {
    state.clockPattern = u"%h:nn%";
    state.equalSeparate = 1;  // as loaded from a fresh store
  }
  void at(int hour, int minute, int second = 0, int day = 6) {
    clock.time = DateTime{2026, 12, day, hour, minute, second};
  }
  void set(const KeyDef& key, std::u16string_view value) { saveText(settings, key, value); }
  void set(std::initializer_list<std::pair<KeyDef, std::u16string_view>> values) {
    for (const auto& [key, value] : values) saveText(settings, key, value);
  }
  std::u16string stored(const KeyDef& key) { return readText(settings, key); }
  bool reported(std::u16string_view location, int number) const {
    return test::reportCount(prompt.shown, location, number) > 0;
  }

  Signals& signals = app.signals();
  LaunchLog& log = launches;
};

class CycleTest : public OnFakes {
 protected:
  CycleTest() { fresh(); }
  void fresh() {  // an empty desktop and a cycle that never ran, at 21:05
    at(21, 5);
    desktop = {};
    recorded.clear();
    cycle.emplace(state, desktop, clock, resources, reporter, recorded, ledger, overlay);
  }
  void tick(int times = 1) {
    for (int i = 0; i < times; ++i) cycle->tmrMain_Timer();
  }
  void tickAt(int hour, int minute, int second = 0) {
    at(hour, minute, second);
    tick();
  }
  WindowHandle show(std::u16string title, std::u16string className = u"Doc") {  // opened in front
    const WindowHandle w = desktop.open(std::move(className), std::move(title));
    tick();
    return w;
  }
  void retitle(WindowHandle w, std::u16string title) {  // by the window itself
    desktop.rename(w, std::move(title));
    tick();
  }

  fake::RecordingSignals recorded;
  std::optional<CaptionCycle> cycle;
};

// Yields and boxes go into the log of sounds, launches and flashes, so a test
// reads the order in which things happened. A window in front, at 10:00.
class SignalsTest : public OnFakes {
 protected:
  SignalsTest() {
    pump.onYield = [this] { log.push_back(u"yield"); };
    prompt.whileOpen = [this] { log.push_back(u"box " + prompt.shown.back().title); };
    front = desktop.open(u"Doc", u"Doc");
    at(9, 30);
    tick();
    at(10, 0);
  }
  void tick() { app.tick(); }
  // The hourly check at a minute of the hour before, then at the full hour.
  void newHour(int hour, std::uint8_t withheld = 0) {
    at((hour + 23) % 24, 30);
    signals.ChkPika(0);
    at(hour, 0);
    signals.ChkPika(withheld);
  }
  // Ticks the flash timer until the run ends (bounded); the flashes it gave.
  int runFlash() {
    const std::size_t before = desktop.flashes.size();
    for (int i = 0; i < 1000 && flash.running; ++i) signals.tmrFlash_Timer();
    EXPECT_FALSE(flash.running) << "the run did not end";
    return static_cast<int>(desktop.flashes.size() - before);
  }
  int count(std::u16string_view entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

  WindowHandle front = 0;
};

}  // namespace tavo
