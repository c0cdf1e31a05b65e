// Every stored key, alone and all at once, set to values that are no setting,
// through a run across 17:00 and 18:00 with both dialogs ended by OK: nothing
// escapes, no report shows twice, and OK stores only what its dialogs show.
// Cancel over hostile values is the end-to-end suite's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "base/report.h"
#include "dialogs/details.h"
#include "dialogs/roster.h"
#include "platform/fake/fake_app.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

std::map<std::u16string, std::u16string> snapshot(MemoryStore& store) {
  std::map<std::u16string, std::u16string> all;
  for (auto section : {kSectionMain, kSectionPlugIn})
    for (const auto& name : store.keyNames(kAppName, section))
      all[std::u16string(section) + u"/" + name] = *store.read(kAppName, section, name);
  return all;
}

// Every ingredient on, so that every key is read: signal with chime, cuckoo,
// flash, shake and hourly entries at 17:00, the alarm at 17:00, a roster.
MemoryStore busyStore(bool extended) {
  const std::pair<KeyDef, std::u16string_view> busy[] = {
      {keys::kShowSecond, u"1"}, {keys::kShowYear, u"1"}, {keys::kShowDay, u"1"}, {keys::kUserTaste, u"1"},
      {keys::kTimeFuru, u"1"}, {keys::kTimeFuruCount, u"2"}, {keys::kTimePipo, u"1"}, {keys::kPipoHato, u"1"},
      {keys::kWaveFilePath1, u"\"C:\\Sounds\\chime.wav\" /w"}, {keys::kWaveFilePath2, u"C:\\Sounds\\call.wav"},
      {keys::kCuteCounts, u"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,2,0,0,0,0,0,0"}, {keys::kFlashLimit, u"3"},
      {keys::kVibrateWidth, u"30"}, {keys::kAlarm, u"1"}, {keys::kAlarmMessage, u"起きて"},
      {keys::kAlarmTime, u"17:00"}, {keys::kXXFormat, u"%h:nn:ss% 月齢%o%%r%"}, {keys::kHideout, u"1"},
      {keys::kTavoTT, u"1"}, {keys::kTavoXX, extended ? u"1" : u"0"}, {keys::kTavoCt, u"1"},
  };
  MemoryStore store;
  Settings s(store);
  for (const auto& [key, value] : busy) saveText(s, key, value);
  s.save(kSectionMain, cuteKey(17, 1), u"C:\\Sounds\\one.wav");
  s.save(kSectionMain, cuteKey(17, 2), u"C:\\Tools\\two.exe /now");
  s.save(kSectionMain, windowListKey(0), u"Listed0");
  s.save(kSectionMain, windowListKey(1), u"Listed1");
  return store;
}

// Tavo on the fakes from 16:59 to 18:01, every dialog ended by OK; while a
// box is open the timers tick on, as under a real modal box. Gives the reports.
std::vector<std::u16string> runTavo(MemoryStore& store) {
  fake::FakeApp t(store);
  int depth = 0;
  t.prompt.whileOpen = [&] {
    if (depth > 3) return;
    ++depth;
    t.app.tick();
    t.app.flashTick();
    --depth;
  };
  fake::FakeFiles files;
  fake::FakeRosterWindow still;
  t.view.onOpen = [&](int index) {
    if (index == 0) {
      RosterDialog roster(t.settings, t.state, t.reporter, t.desktop, still);
      roster.Form_Load();
      roster.cmdWSet_Click(2);
    } else {
      DetailsDialog details(t.settings, t.state, t.reporter, files);
      details.open();
      details.cmdSet_Click(0);
    }
  };
  const auto ticksAt = [&](int hour, int minute, int n) {
    t.clock.time = DateTime{2026, 12, 6, hour, minute, 0};
    while (n-- > 0) t.app.tick();
    for (int i = 0; i < 1000 && t.flash.running; ++i) {
      t.app.flashTick();
      if (i % 3 == 0) t.app.tick();
    }
    EXPECT_FALSE(t.flash.running) << "the flash run did not end";
  };
  EXPECT_NO_THROW({
    ticksAt(16, 59, 0);
    t.window.Form_Load();
    t.desktop.open(u"Notepad", u"メモ");
    for (auto [hour, minute, n] : {std::array{16, 59, 1}, {17, 0, 2}, {17, 1, 1}, {17, 59, 1}, {18, 0, 1}, {18, 1, 1}})
      ticksAt(hour, minute, n);
    t.window.cmdToSet_Click(0);
    t.window.cmdToSet_Click(1);
    t.window.cmdMain_Click(0);
  });
  std::vector<std::u16string> reports;
  for (const auto& box : t.prompt.shown)
    if (box.title == kReportTitle) reports.push_back(box.text);
  return reports;
}

TEST(HostileSettings, OkOverEachKeyAloneAndEveryKeyAtOnce) {
  std::u16string digits;
  while (digits.size() < 100000) digits += u"1234567890";
  const std::pair<const char*, std::u16string> values[] = {
      {"text", u"abc"}, {"1e400", u"1e400"}, {"-99999999999", u"-99999999999"}, {"empty", u""},
      {"control chars", std::u16string(u"\x01\t\r\n\x07\x1b\x7f\0z", 9)},
      {"unpaired surrogate", std::u16string{u'1', char16_t(0xD800), u' ', char16_t(0xDC00)}}, {"100000 chars", digits}};
  std::vector<std::vector<KeyDef>> sets;
  for (const auto& key : keys::kAll) sets.push_back({key});
  sets.emplace_back(std::begin(keys::kAll), std::end(keys::kAll));
  for (int base : {0, 1, 2})  // fresh, busy, busy with the extended pattern
    for (const auto& broken : sets)
      for (const auto& [name, text] : values) {
        SCOPED_TRACE((broken.size() == 1 ? utf8(broken[0].name) : "every key") + " = " + name + ", base " +
                     std::to_string(base));
        MemoryStore store = base ? busyStore(base == 2) : MemoryStore{};
        for (const auto& key : broken) store.write(kAppName, key.section, key.name, text);
        auto reports = runTavo(store);
        std::sort(reports.begin(), reports.end());
        EXPECT_TRUE(std::adjacent_find(reports.begin(), reports.end()) == reports.end()) << "a report shown twice";
        // OK again stores the same; the roster's OK turns the list round, hence two runs.
        const auto stored = snapshot(store);
        runTavo(store);
        runTavo(store);
        EXPECT_TRUE(snapshot(store) == stored) << "OK stored what it did not show";
      }
}

}  // namespace
}  // namespace tavo
