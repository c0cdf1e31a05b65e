#pragma once
// A caption clock cycle wired to the fakes.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "base/text.h"
#include "main/cycle.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/recording_signals.h"

namespace tavo {

class CycleTest : public ::testing::Test {
 protected:
  CycleTest() {
    state.clockPattern = u"%h:nn%";
    state.equalSeparate = 1;  // as loaded from a fresh store
    at(21, 5, 7);
    fresh();
  }
  // An empty desktop and a cycle that has never ticked (for table rows).
  void fresh() {
    desktop = {};
    signals = {};
    cycle.emplace(state, desktop, clock, resources, reporter, signals);
  }
  void tick(int times = 1) {
    for (int i = 0; i < times; ++i) cycle->tmrMain_Timer();
  }
  void at(int hour, int minute, int second = 0) { clock.time = DateTime{2026, 12, 6, hour, minute, second}; }
  bool reported(std::u16string_view location, int number) const {
    const auto head = u"エラー番号:" + decimal(number) + u"\r\n場所:" + std::u16string(location) + u"9.00.0000\r\n";
    for (const auto& box : prompt.shown)
      if (box.text.starts_with(head)) return true;
    return false;
  }

  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakePrompt prompt;
  fake::FakeResources resources;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{9, 0, 0}};
  fake::RecordingSignals signals;
  AppState state;
  std::optional<CaptionCycle> cycle;
};

}  // namespace tavo
