#pragma once
// Tavo whole, wired to the fakes, over a store that people and companion
// programs have written by hand: start-up, ticks across a change of hour,
// the flash runs, the dialogs. Every box shown is logged; while one is open
// the timers go on ticking, as they do under a real modal box.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "dialogs/details.h"
#include "dialogs/roster.h"
#include "main/cycle.h"
#include "main/main_window.h"
#include "main/signals.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_prompt.h"
#include "platform/fake/fake_pump.h"
#include "platform/fake/fake_system.h"
#include "platform/fake/fake_views.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo::hostile {

// ---- the values ----------------------------------------------------------

// A hostile value and the error each reader class raises on it (0: it converts).
struct Value {
  const char* name;
  std::u16string text;
  int asNumber;  // read as a double
  int asWhole;   // read as a byte, 16-bit or 32-bit integer
};

inline std::u16string longText() {
  std::u16string s;
  s.reserve(100000);
  while (s.size() < 100000) s += u"1234567890";
  return s;
}

inline const std::vector<Value>& values() {
  static const char16_t control[] = {0x01, u'\t', u'\r', u'\n', 0x07, 0x1B, 0x7F, 0x00, u'z'};
  static const char16_t surrogate[] = {u'1', 0xD800, u' ', 0xDC00};
  static const std::vector<Value> all = {
      {"text", u"abc", 13, 13},
      {"1e400", u"1e400", 6, 6},
      {"-99999999999", u"-99999999999", 0, 6},
      {"empty", u"", 13, 13},
      {"100000 chars", longText(), 6, 6},
      {"control chars", std::u16string(control, std::size(control)), 13, 13},
      {"unpaired surrogate", std::u16string(surrogate, std::size(surrogate)), 13, 13},
  };
  return all;
}

// ---- the stores they go into ----------------------------------------------

enum Base : unsigned { kFresh = 1, kBusy = 2, kBusyXX = 4 };
inline constexpr unsigned kStandard = kFresh | kBusy, kBusyAny = kBusy | kBusyXX, kAll = 7;

inline const char* baseName(Base b) { return b == kFresh ? "fresh" : b == kBusy ? "busy" : "busy+XX"; }

using Snapshot = std::map<std::pair<std::u16string, std::u16string>, std::u16string>;

// Every ingredient on, so that every key is read: signal with chime, cuckoo,
// flash, shake and hourly entries at 17:00, the alarm at 17:00, a roster.
inline void fillBusy(Settings& s, bool extended) {
  const std::pair<KeyDef, std::u16string_view> busy[] = {
      {keys::k24h, u"1"}, {keys::kShowSecond, u"1"}, {keys::kShowYear, u"1"}, {keys::kShowDate, u"1"},
      {keys::kShowDay, u"1"}, {keys::kEqualSeparate, u"1"}, {keys::kUserTaste, u"1"}, {keys::kClockRight, u"0"},
      {keys::kCheckInterval, u"250"}, {keys::kTimePika, u"1"}, {keys::kTimeFuru, u"1"},
      {keys::kTimeFuruCount, u"2"}, {keys::kTimePipo, u"1"}, {keys::kPipoHato, u"1"},
      {keys::kWaveFilePath1, u"\"C:\\Sounds\\chime.wav\" /w"}, {keys::kWaveFilePath2, u"C:\\Sounds\\call.wav"},
      {keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2,0,0,0,0,0,0"}, {keys::kFlashLimit, u"3"},
      {keys::kVibrateWidth, u"30"}, {keys::kAlarm, u"1"}, {keys::kAlarmMessage, u"起きて"},
      {keys::kAlarmTime, u"17:00"}, {keys::kXXFormat, u"%h:nn:ss% 月齢%o%%r%"}, {keys::kHideout, u"1"},
      {keys::kTavoTT, u"1"}, {keys::kTavoXX, extended ? u"1" : u"0"}, {keys::kTavoCt, u"1"},
  };
  for (const auto& [key, value] : busy) saveText(s, key, value);
  s.save(kSectionMain, u"Cute1701", u"C:\\Sounds\\one.wav");
  s.save(kSectionMain, u"Cute1702", u"C:\\Tools\\two.exe /now");
  s.save(kSectionMain, u"WindowList0", u"Listed0");
  s.save(kSectionMain, u"WindowList1", u"Listed1");
}

inline Snapshot snapshot(MemoryStore& store) {
  Snapshot all;
  for (auto section : {kSectionMain, kSectionPlugIn})
    for (const auto& name : store.keyNames(kAppName, section))
      all[{std::u16string(section), name}] = *store.read(kAppName, section, name);
  return all;
}

// ---- Tavo --------------------------------------------------------------------

struct Tavo {
  explicit Tavo(MemoryStore& store) : settings(store) {
    signals.follow(cycle);
    // Timers tick on while a box waits for its answer.
    prompt.whileOpen = [this] {
      if (depth > 3) return;
      ++depth;
      cycle.tmrMain_Timer();
      signals.tmrFlash_Timer();
      --depth;
    };
  }

  void at(int hour, int minute, int second) { clock.time = DateTime{2026, 12, 6, hour, minute, second}; }
  void tick() { cycle.tmrMain_Timer(); }
  // Flash ticks, with a main tick now and then, until the run ends.
  void flashRun() {
    for (int i = 0; i < 1000 && flash.running; ++i) {
      signals.tmrFlash_Timer();
      if (i % 3 == 0) tick();
    }
    EXPECT_FALSE(flash.running) << "the flash run did not end";
  }

  Settings settings;
  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{9, 0, 0}};
  fake::FakeDesktop desktop;
  fake::FakeClock clock;
  fake::FakeResources resources;
  fake::FakePump pump;
  fake::LaunchLog launches;
  fake::LogSound sound{launches};
  fake::LogShell shell{launches};
  fake::LogFlashTimer flash{launches};
  AppState state;
  Signals signals{state, settings, reporter, SignalPorts{desktop, clock, sound, shell, pump, flash}};
  CaptionCycle cycle{state, desktop, clock, resources, reporter, signals};
  fake::FakeHost host;
  fake::FakeMainView view;
  MainWindow window{view, state, settings, reporter, host, sound, shell, cycle};
  int depth = 0;
};

// ---- what was shown ------------------------------------------------------------

struct Report {
  std::u16string location;
  int number = 0;
  auto operator<=>(const Report&) const = default;
};

inline std::string describe(const std::vector<Report>& reports) {
  std::string s;
  for (const auto& r : reports) s += " [" + utf8(r.location) + " " + std::to_string(r.number) + "]";
  return s.empty() ? " (none)" : s;
}

// The error reports among the boxes, in the order shown, and everything else.
inline std::vector<Report> reportsIn(const std::vector<fake::ShownBox>& shown,
                                     std::vector<fake::ShownBox>* others = nullptr) {
  static const std::u16string head = u"エラー番号:", place = u"\r\n場所:", version = u"9.00.0000\r\n";
  std::vector<Report> reports;
  for (const auto& box : shown) {
    if (box.title != kReportTitle || !box.text.starts_with(head)) {
      if (others) others->push_back(box);
      continue;
    }
    const auto at = box.text.find(place);
    const auto end = box.text.find(version, at);
    Report r;
    r.number = std::stoi(utf8(box.text.substr(head.size(), at - head.size())));
    r.location = box.text.substr(at + place.size(), end - at - place.size());
    reports.push_back(std::move(r));
  }
  return reports;
}

}  // namespace tavo::hostile
