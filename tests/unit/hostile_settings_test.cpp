// Every stored key, alone and all at once, set to values that are no setting
// at all. Tavo starts, gives two hourly signals, the alarm and the flash
// runs, and both dialogs end with OK or Cancel. Whatever the values, nothing
// escapes, each report shows once, Cancel leaves every value as stored or at
// its key's default, and OK stores only what its dialogs show. A key whose
// default is a number, given a text that is none, does nothing that a sound
// value would not do.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/report.h"
#include "dialogs/details.h"
#include "dialogs/roster.h"
#include "main/app.h"
#include "platform/fake/fake_app.h"
#include "platform/fake/fake_views.h"
#include "settings/convert.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

struct Value {
  const char* name;
  std::u16string text;
};

const std::vector<Value>& values() {
  static const char16_t control[] = {0x01, u'\t', u'\r', u'\n', 0x07, 0x1B, 0x7F, 0x00, u'z'};
  static const char16_t surrogate[] = {u'1', 0xD800, u' ', 0xDC00};
  std::u16string digits;
  while (digits.size() < 100000) digits += u"1234567890";
  static const std::vector<Value> all = {
      {"text", u"abc"}, {"1e400", u"1e400"}, {"-99999999999", u"-99999999999"}, {"empty", u""},
      {"control chars", std::u16string(control, std::size(control))},
      {"unpaired surrogate", std::u16string(surrogate, std::size(surrogate))}, {"100000 chars", digits}};
  return all;
}

using Snapshot = std::map<std::u16string, std::u16string>;  // "section/name" -> value

std::u16string path(std::u16string_view section, std::u16string_view name) {
  return std::u16string(section) + u"/" + std::u16string(name);
}

Snapshot snapshot(MemoryStore& store) {
  Snapshot all;
  for (auto section : {kSectionMain, kSectionPlugIn})
    for (const auto& name : store.keyNames(kAppName, section)) all[path(section, name)] = *store.read(kAppName, section, name);
  return all;
}

// Every ingredient on, so that every key is read: signal with chime, cuckoo,
// flash, shake and hourly entries at 17:00, the alarm at 17:00, a roster.
void fillBusy(MemoryStore& store, bool extended) {
  const std::pair<KeyDef, std::u16string_view> busy[] = {
      {keys::kShowSecond, u"1"}, {keys::kShowYear, u"1"}, {keys::kShowDay, u"1"}, {keys::kUserTaste, u"1"},
      {keys::kTimeFuru, u"1"}, {keys::kTimeFuruCount, u"2"}, {keys::kTimePipo, u"1"}, {keys::kPipoHato, u"1"},
      {keys::kWaveFilePath1, u"\"C:\\Sounds\\chime.wav\" /w"}, {keys::kWaveFilePath2, u"C:\\Sounds\\call.wav"},
      {keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2,0,0,0,0,0,0"}, {keys::kFlashLimit, u"3"},
      {keys::kVibrateWidth, u"30"}, {keys::kAlarm, u"1"}, {keys::kAlarmMessage, u"起きて"},
      {keys::kAlarmTime, u"17:00"}, {keys::kXXFormat, u"%h:nn:ss% 月齢%o%%r%"}, {keys::kHideout, u"1"},
      {keys::kTavoTT, u"1"}, {keys::kTavoXX, extended ? u"1" : u"0"}, {keys::kTavoCt, u"1"},
  };
  Settings s(store);
  for (const auto& [key, value] : busy) saveText(s, key, value);
  s.save(kSectionMain, cuteKey(17, 1), u"C:\\Sounds\\one.wav");
  s.save(kSectionMain, cuteKey(17, 2), u"C:\\Tools\\two.exe /now");
  s.save(kSectionMain, windowListKey(0), u"Listed0");
  s.save(kSectionMain, windowListKey(1), u"Listed1");
}

// What a run of Tavo shows: the reports apart, everything else in order.
struct Run {
  std::vector<std::u16string> reports;
  std::vector<std::u16string> seen;
  Snapshot store;
};

std::u16string describe(const AppState& s) {
  std::u16string d = u"state " + decimal(s.clockRight) + u" " + decimal(s.checkInterval) + u" " +
                     decimal(s.plugInFlags.hideout) + decimal(s.plugInFlags.tavoTT) + decimal(s.plugInFlags.tavoXX) +
                     decimal(s.plugInFlags.tavoCt) + u" " + decimal(s.alarmOn) + decimal(s.equalSeparate) + u" " +
                     s.alarmMessage + u"|" + s.alarmTime + u"|" + s.clockPattern;
  for (const auto& name : s.roster) d += u"|" + name;
  return d;
}

// Tavo whole on the fakes, from 16:59:58 across 17:00 and 18:00; while a box
// is open the timers go on ticking, as they do under a real modal box.
Run runTavo(MemoryStore& store, bool ok) {
  fake::FakeApp t(store);
  int depth = 0;
  t.prompt.whileOpen = [&] {
    if (depth > 3) return;
    ++depth;
    t.app.tick();
    t.app.flashTick();
    --depth;
  };
  const auto at = [&](int hour, int minute, int second) { t.clock.time = DateTime{2026, 12, 6, hour, minute, second}; };
  const auto ticks = [&](int n) {
    while (n-- > 0) t.app.tick();
  };
  const auto flashRun = [&] {
    for (int i = 0; i < 1000 && t.flash.running; ++i) {
      t.app.flashTick();
      if (i % 3 == 0) t.app.tick();
    }
    EXPECT_FALSE(t.flash.running) << "the flash run did not end";
  };
  Run run;
  fake::FakeFiles files;
  fake::FakeRosterWindow still;
  t.view.onOpen = [&](int index) {
    if (index == 0) {
      RosterDialog roster(t.settings, t.state, t.reporter, t.desktop, still);
      roster.Form_Load();
      ok ? roster.cmdWSet_Click(2) : roster.close();
    } else {
      DetailsDialog details(t.settings, t.state, t.reporter, files);
      details.open();
      details.cmdSet_Click(ok ? 0 : 1);
    }
  };
  const auto look = [&](WindowHandle w) { run.seen.push_back(u"title " + t.desktop.title(w)); };

  EXPECT_NO_THROW({
    at(16, 59, 58);
    t.window.Form_Load();
    run.seen.push_back(describe(t.state));
    const WindowHandle memo = t.desktop.open(u"Notepad", u"メモ");
    ticks(1);
    look(memo);
    at(16, 59, 59);
    ticks(1);
    at(17, 0, 0);
    ticks(2);
    flashRun();
    at(17, 0, 30);
    t.desktop.rename(memo, u"メモ 2");
    ticks(2);
    t.desktop.open(u"WordPad", u"文書");
    ticks(1);
    look(memo);
    EXPECT_EQ(t.desktop.title(memo), u"メモ 2") << "the window did not get its own title back";
    at(17, 59, 59);
    ticks(1);
    at(18, 0, 0);
    ticks(1);
    flashRun();
    at(18, 1, 0);
    ticks(1);
    t.window.cmdToSet_Click(0);
    t.window.cmdToSet_Click(1);
    t.window.cmdMain_Click(ok ? 0 : 1);
  });
  // Reports and the messages on invalid values apart, every box in order.
  for (const auto& box : t.prompt.shown) {
    if (box.title == kReportTitle)
      run.reports.push_back(box.text);
    else
      run.seen.push_back(u"box " + box.title + u"|" + box.text + u"|" + decimal(box.flags));
  }
  for (const auto& line : t.launches) run.seen.push_back(line);
  for (const auto& line : t.view.log) run.seen.push_back(line);
  if (!t.desktop.flashes.empty()) run.seen.push_back(u"flashes " + decimal(static_cast<int>(t.desktop.flashes.size())));
  if (!t.desktop.moves.empty()) run.seen.push_back(u"moves " + decimal(static_cast<int>(t.desktop.moves.size())));
  run.seen.push_back(describe(t.state));
  run.store = snapshot(store);
  return run;
}

enum Base { kFresh, kBusy, kBusyXX };

MemoryStore baseStore(Base base) {
  MemoryStore store;
  if (base != kFresh) fillBusy(store, base == kBusyXX);
  return store;
}

// Tavo on the base store with `broken` set to `v`. A single key whose
// default is a number, set to a text that is none, must act as one of the
// sound values: missing (its default), "1" (a condition that fails enters its
// guarded branch) or "0" (a statement that fails is skipped, as a switch
// that is off would skip it), or act as one of them with some of its
// statements skipped: nothing it does is new.
void check(Base base, const std::vector<KeyDef>& broken, const Value& v, bool ok) {
  MemoryStore store = baseStore(base);
  for (const auto& key : broken) store.write(kAppName, key.section, key.name, v.text);
  const Snapshot before = snapshot(store);
  const Run run = runTavo(store, ok);

  auto sorted = run.reports;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_TRUE(std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) << "a report shown twice";
  if (ok) {
    // What OK stored is what the dialogs show, so OK stores it again; the
    // roster's OK turns the list round, hence two runs.
    runTavo(store, ok);
    runTavo(store, ok);
    EXPECT_TRUE(snapshot(store) == run.store) << "OK stored what it did not show";
    return;
  }

  // Each value as the user stored it or as its key's default.
  for (const auto& [at, value] : run.store) {
    const auto it = before.find(at);
    const bool kept = it != before.end() && it->second == value;
    const bool reset = std::any_of(std::begin(keys::kAll), std::end(keys::kAll), [&](const KeyDef& k) {
      return at == path(k.section, k.name) && value == k.fallback;
    });
    EXPECT_TRUE(kept || reset) << "stored: " << utf8(at);
  }
  EXPECT_EQ(run.store.size(), before.size()) << "a value was lost or created";

  if (broken.size() != 1 || !isNumeric(broken[0].fallback) || isNumeric(v.text)) return;
  const KeyDef& key = broken[0];
  bool sound = false;
  for (const auto* value : {u"", u"1", u"0"}) {
    MemoryStore other = baseStore(base);
    if (*value) other.write(kAppName, key.section, key.name, value);
    else other.erase(kAppName, key.section, key.name);
    const auto want = runTavo(other, ok).seen;
    auto next = want.begin();
    bool within = true;
    for (const auto& line : run.seen) {
      next = std::find(next, want.end(), line);
      if (!(within = next != want.end())) break;
      ++next;
    }
    sound = sound || within;
  }
  EXPECT_TRUE(sound) << "the broken value acted as no sound one does";
}

// Each key alone, then every key at once.
TEST(HostileSettings, EachKeyAloneAndEveryKeyAtOnce) {
  std::vector<std::vector<KeyDef>> sets;
  for (const auto& key : keys::kAll) sets.push_back({key});
  sets.emplace_back(std::begin(keys::kAll), std::end(keys::kAll));
  const char* const baseNames[] = {"fresh", "busy", "busy, extended pattern"};
  for (Base base : {kFresh, kBusy, kBusyXX})
    for (const auto& broken : sets)
      for (const auto& v : values())
        for (bool ok : {false, true}) {
          SCOPED_TRACE((broken.size() == 1 ? utf8(broken[0].name) : "every key") + " = " + v.name + ", " +
                       baseNames[base] + " store, " + (ok ? "OK" : "Cancel"));
          check(base, broken, v, ok);
        }
}

}  // namespace
}  // namespace tavo
