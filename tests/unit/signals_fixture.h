#pragma once
// The hourly signal and the alarm wired to the fakes. Sounds, launches,
// yields, the flash timer and message boxes go into one log, so a test can
// read the order in which things happened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text.h"
#include "main/signals.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_pump.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {

using Log = std::vector<std::string>;

// The sound, the shell and the flash timer, all writing into one log.
class Recorder : public Sound, public Shell, public FlashTimer {
 public:
  void playWave(std::u16string_view path, bool synchronous) override {
    log.push_back((synchronous ? "sync " : "async ") + utf8(path));
  }
  void open(std::u16string_view file, std::u16string_view arguments) override {
    log.push_back("open " + utf8(file) + "|" + utf8(arguments));
  }
  void enable() override {
    enabled = true;
    log.push_back("flash on");
  }
  void disable() override { enabled = false; }
  Log log;
  bool enabled = false;
};

class SignalsTest : public ::testing::Test {
 protected:
  SignalsTest() {
    pump.onYield = [this] { log.push_back("yield"); };
    prompt.whileOpen = [this] { log.push_back("box " + utf8(prompt.shown.back().title)); };
    signals.follow([this] { return front; });
    front = desktop.open(u"Doc", u"Doc");
    at(10, 0);
  }

  void at(int hour, int minute, int day = 6) { clock.time = DateTime{2026, 12, day, hour, minute, 0}; }
  // The hourly check at a minute of the hour before, then at the full hour.
  void newHour(int hour) {
    at((hour + 23) % 24, 30);
    signals.ChkPika(0);
    at(hour, 0);
    signals.ChkPika(0);
  }
  void set(const KeyDef& key, std::u16string_view value) { saveText(settings, key, value); }
  std::u16string stored(const KeyDef& key) { return readText(settings, key); }

  // Ticks the flash timer until the run ends (bounded); the flashes it gave.
  int runFlash() {
    const std::size_t before = desktop.flashes.size();
    for (int i = 0; i < 1000 && rec.enabled; ++i) signals.tmrFlash_Timer();
    EXPECT_FALSE(rec.enabled) << "the run did not end";
    return static_cast<int>(desktop.flashes.size() - before);
  }

  bool reported(std::u16string_view location, int number) const {
    const auto head = u"エラー番号:" + decimal(number) + u"\r\n場所:" + std::u16string(location) + u"9.00.0000\r\n";
    for (const auto& box : prompt.shown)
      if (box.text.starts_with(head)) return true;
    return false;
  }
  int count(std::string_view entry) const {
    int n = 0;
    for (const auto& e : log) n += e == entry;
    return n;
  }

  Recorder rec;
  Log& log = rec.log;
  MemoryStore store;
  Settings settings{store};
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakePrompt prompt;
  fake::FakePump pump;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{9, 0, 0}};
  AppState state;
  Signals signals{state, settings, reporter, SignalPorts{desktop, clock, rec, rec, pump, rec}};
  WindowHandle front = 0;
};

}  // namespace tavo
