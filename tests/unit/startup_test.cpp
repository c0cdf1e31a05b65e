// Loading the stored settings at start-up: defaults, the interval rule, the
// pattern choice, and bad stored values that must not stop Tavo.
#include "main/startup.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "main/main_window.h"
#include "platform/fake/fake_prompt.h"
#include "settings/keys.h"
#include "settings/memory_store.h"

namespace tavo {
namespace {

class Startup : public ::testing::Test {
 protected:
  void set(const KeyDef& key, std::u16string_view value) { settings.save(key.section, key.name, value); }
  AppState load() {
    AppState state;
    loadAtStartup(settings, state, reporter);
    return state;
  }
  // Every box must be an error report from the start-up location.
  void expectReports(std::size_t count) {
    ASSERT_EQ(prompt.shown.size(), count);
    for (const auto& box : prompt.shown) {
      EXPECT_EQ(box.flags, kReportFlags);
      EXPECT_TRUE(contains(box.text, u"場所:frmMain_Load")) << utf8(box.text);
    }
  }

  MemoryStore store;
  Settings settings{store};
  fake::FakePrompt prompt;
  Boxes boxes{prompt};
  Reporter reporter{boxes, Version{1, 70, 1}};
};

TEST_F(Startup, AFreshOrUnreadableStoreGivesEveryDefault) {
  for (bool unreadable : {false, true}) {
    store.failReads = unreadable;
    AppState s = load();
    EXPECT_EQ(s.checkInterval, 250);
    EXPECT_EQ(s.equalSeparate, 1);
    EXPECT_EQ(s.alarmMessage, u"時間だよ(^^)");
    EXPECT_EQ(s.alarmTime, u"17:57");
    EXPECT_EQ(s.clockPattern, u"%h:nn%,%mmm%,%d%");
    expectReports(unreadable ? 1 : 0);
  }
  EXPECT_EQ(store.writeCount, 0) << "start-up never writes";
}

TEST_F(Startup, OnlyTheThreeIntervalsRun) {
  struct Case {
    std::u16string_view stored;
    std::int16_t interval;
    std::size_t reports;
  };
  const Case cases[] = {
      {u"50", 50, 0},     {u"250", 250, 0}, {u"1000", 1000, 0}, {u"100", 250, 0},  {u"0", 250, 0},
      {u"-50", 250, 0},   {u"1000.4", 1000, 0}, {u" 50 ", 50, 0}, {u"fast", 250, 1}, {u"99999", 250, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.stored));
    prompt.shown.clear();
    Reporter fresh(boxes, Version{1, 70, 1});  // a new program: nothing shown yet
    set(keys::kCheckInterval, c.stored);
    AppState s;
    loadAtStartup(settings, s, fresh);
    EXPECT_EQ(s.checkInterval, c.interval);
    expectReports(c.reports);
  }
}

TEST_F(Startup, BadValueTakesItsDefaultAndTheRestStillLoads) {
  set(keys::kClockRight, u"right");
  set(keys::kAlarm, u"256");  // no byte
  set(keys::kEqualSeparate, u"0");
  set(keys::kAlarmTime, u"06:18");
  set(keys::kTavoCt, u"1");
  settings.save(kSectionMain, windowListKey(0), u"Notepad");
  AppState s = load();
  EXPECT_EQ(s.clockRight, 0);
  EXPECT_EQ(s.alarmOn, 0);
  EXPECT_EQ(s.equalSeparate, 0) << "values after the bad one are still read";
  EXPECT_EQ(s.alarmTime, u"06:18");
  EXPECT_EQ(s.plugInFlags.tavoCt, 1);
  EXPECT_EQ(s.roster, std::vector<std::u16string>{u"Notepad"});
  expectReports(2);  // type mismatch, overflow
}

TEST_F(Startup, ClockPatternChoice) {
  struct Case {
    std::u16string_view tavoXX, taste, xxFormat;
    std::u16string_view pattern;
  };
  const Case cases[] = {
      {u"0", u"0", u"%h%", u"%h:nn%,%mmm%,%d%"},
      {u"0", u"1", u"%h%", u"%h:nn%,%m%/%d%"},
      {u"0", u"2", u"%h%", u"%h:nn%"},  // a taste without date fields
      {u"0", u"taste", u"", u"%h:nn%,%mmm%,%d%"},
      {u"1", u"1", u"[%h%]", u"[%h%]"},
      {u"2", u"0", u"[%h%]", u"[%h%]"},  // any non-zero TavoXX
      {u"1", u"0", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.tavoXX) + " " + utf8(c.taste) + " " + utf8(c.xxFormat));
    set(keys::kTavoXX, c.tavoXX);
    set(keys::kUserTaste, c.taste);
    set(keys::kXXFormat, c.xxFormat);
    EXPECT_EQ(load().clockPattern, c.pattern);
  }
}

TEST_F(Startup, BadDisplaySettingFallsBackAlone) {
  set(keys::kShowSecond, u"yes");
  set(keys::kShowYear, u"1");
  set(keys::k24h, u"01");
  AppState s = load();
  EXPECT_EQ(s.clockPattern, u"%h:nn%,%yy%,%mmm%,%d%");
  expectReports(1);
}

TEST(StartupProcedures, LoadAlarmSetStopsAtTheFirstBadValue) {
  MemoryStore store;
  Settings settings(store);
  settings.save(kSectionMain, keys::kAlarm.name, u"1");
  settings.save(kSectionMain, keys::kEqualSeparate.name, u"300");
  settings.save(kSectionMain, keys::kAlarmTime.name, u"06:18");
  AppState s;
  s.alarmTime = u"12:00";
  EXPECT_THROW(LoadAlarmSet(settings, s), Error);
  EXPECT_EQ(s.alarmOn, 1);
  EXPECT_EQ(s.alarmTime, u"12:00");
}

TEST(StartupProcedures, PlugInBytesInRecordOrder) {
  MemoryStore store;
  Settings settings(store);
  for (auto [key, value] : {std::pair{u"hideout", u"1"}, {u"TavoTT", u"2"}, {u"TavoXX", u"3"}, {u"TavoCt", u"4"}})
    settings.save(kSectionPlugIn, key, value);  // names are case-insensitive
  const PlugInFlags f = GetPlugIn(settings);
  EXPECT_EQ(std::vector<int>({f.hideout, f.tavoTT, f.tavoXX, f.tavoCt}), std::vector<int>({1, 2, 3, 4}));
  settings.save(kSectionPlugIn, u"TavoCt", u"-1");
  EXPECT_THROW(GetPlugIn(settings), Error);
}

// Who runs, who hands over: "/x" ends a running Tavo, anything else shows it.
TEST(StartDecision, CommandTextAndInstance) {
  struct Case {
    std::u16string_view command;
    bool another, windowFound;
    StartAction action;
  };
  const Case cases[] = {
      {u"", false, false, StartAction::Run},
      {u"/w", false, false, StartAction::Run},
      {u"/x", false, false, StartAction::End},
      {u"  /X ", false, false, StartAction::End},
      {u"", true, true, StartAction::ShowOther},
      {u"/xx", true, true, StartAction::ShowOther},
      {u"/x /x", true, true, StartAction::ShowOther},
      {u" /X", true, true, StartAction::CloseOther},
      {u"/x", true, false, StartAction::End},
      {u"", true, false, StartAction::End},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(utf8(c.command) + (c.another ? " another" : "") + (c.windowFound ? " found" : ""));
    const StartDecision d = decideStart(c.command, c.another, c.windowFound ? 0x4711 : 0);
    EXPECT_EQ(d.action, c.action);
    const bool handsOver = c.action == StartAction::ShowOther || c.action == StartAction::CloseOther;
    EXPECT_EQ(d.other, handsOver ? 0x4711u : 0u);
  }
}

}  // namespace
}  // namespace tavo
