#pragma once
// The caption clock cycle and the time signals wired to the fakes as Tavo
// wires them. The cycle's calls to the signals are recorded; they reach the
// real signals only where a test passes them on (see SignalsTest).
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "base/text.h"
#include "main/cycle.h"
#include "main/signals.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_pump.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/recording_signals.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

#include "report_text.h"

namespace tavo {

using fake::LaunchLog;
using fake::SignalCall;

class CycleTest : public ::testing::Test {
 protected:
  CycleTest() {
    state.clockPattern = u"%h:nn%";
    state.equalSeparate = 1;  // as loaded from a fresh store
    at(21, 5, 7);
    fresh();
  }
  // An empty desktop, a cycle and signals that never ran (for table rows).
  void fresh() {
    desktop = {};
    recorded.clear();
    signals.emplace(state, settings, reporter, SignalPorts{desktop, clock, sound, shell, pump, flash});
    cycle.emplace(state, desktop, clock, resources, reporter, recorded);
    signals->follow(*cycle);
  }
  void tick(int times = 1) {
    for (int i = 0; i < times; ++i) cycle->tmrMain_Timer();
  }
  void at(int hour, int minute, int second = 0, int day = 6) {
    clock.time = DateTime{2026, 12, day, hour, minute, second};
  }
  void set(const KeyDef& key, std::u16string_view value) { saveText(settings, key, value); }
  std::u16string stored(const KeyDef& key) { return readText(settings, key); }
  bool reported(std::u16string_view location, int number) const {
    return test::reportCount(prompt.shown, location, number) > 0;
  }

  MemoryStore store;
  Settings settings{store};
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakePrompt prompt;
  fake::FakeResources resources;
  fake::FakePump pump;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{9, 0, 0}};
  LaunchLog log;
  fake::LogSound sound{log};
  fake::LogShell shell{log};
  fake::LogFlashTimer flash{log};
  fake::RecordingSignals recorded;
  AppState state;
  std::optional<Signals> signals;
  std::optional<CaptionCycle> cycle;
};

// The signals behind the cycle. Yields and boxes go into the log of sounds,
// launches and flashes, so a test reads the order in which things happened.
class SignalsTest : public CycleTest {
 protected:
  SignalsTest() {
    recorded.forward = &*signals;
    pump.onYield = [this] { log.push_back(u"yield"); };
    prompt.whileOpen = [this] { log.push_back(u"box " + prompt.shown.back().title); };
    begin();
  }
  // Afresh, with a window in front that the cycle has seen, at 10:00.
  void begin() {
    fresh();
    front = desktop.open(u"Doc", u"Doc");
    at(9, 30);
    tick();
    at(10, 0);
  }
  // The hourly check at a minute of the hour before, then at the full hour.
  void newHour(int hour) {
    at((hour + 23) % 24, 30);
    signals->ChkPika(0);
    at(hour, 0);
    signals->ChkPika(0);
  }
  // Ticks the flash timer until the run ends (bounded); the flashes it gave.
  int runFlash() {
    const std::size_t before = desktop.flashes.size();
    for (int i = 0; i < 1000 && flash.running; ++i) signals->tmrFlash_Timer();
    EXPECT_FALSE(flash.running) << "the run did not end";
    return static_cast<int>(desktop.flashes.size() - before);
  }
  int count(std::u16string_view entry) const { return static_cast<int>(std::count(log.begin(), log.end(), entry)); }

  WindowHandle front = 0;
};

}  // namespace tavo
